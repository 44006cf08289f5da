// The about box: a modal dialog from the module's resources.
#pragma once

// Runs the about box modally with parent as its owner window; returns the dialog's result.
long ShowAboutBox(void* parent);
