// Following a model file's chain of objects: the first-object offset, then each header's
// next-object offset, as many times as the file header's object count.
#pragma once

#include "model/model_format.h"

// Reads up to `capacity` object headers of the chain into `headers`. Returns how many were
// read, or -1 when the file header is bad or a header of the chain does not lie in the
// file. The walk never takes more steps than the file could hold object headers.
int ReadModelObjectChain(const ModelSource* source, ModelObjectHeader* headers, int capacity);
