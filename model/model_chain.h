// Following a model file's chain of objects: the first-object offset, then each header's
// next-object offset, as many times as the file header's object count.
#pragma once

#include "model/model_format.h"

// Reads up to `capacity` object headers of the chain into `headers` and returns how many
// were read, or -1 when the file header is bad. The chain is broken (and *intact, when
// given, set false) when a header does not lie in the file or a next-object offset does not
// lead past its own header, as in a chain that loops; the walk stops there.
int ReadModelObjectChain(const ModelSource* source, ModelObjectHeader* headers, int capacity,
                         bool* intact = nullptr);
