// What the panel opens (the help page, the about box, the web site), seen by a recorder
// in place of the desktop. A host without a desktop (the reference host, the tests)
// installs one through the module's export QuorvelRecordOpens, so that a click shows what
// would be opened instead of opening a browser or a modal dialog.
#pragma once

// what: "about" for the about box (target empty), "open" for the shell's open verb
// (target: the page's path or address); parent: the owner window the module passes.
typedef void (*QuorvelOpenRecorder)(const char* what, void* parent, const char* target);

// Installs the recorder for both the shell's open verb and the about box (null restores
// the desktop).
void RecordOpens(QuorvelOpenRecorder recorder);

// The about box owned by parent, or the recorder's "about" when one is installed.
void RunAboutBox(void* parent);
