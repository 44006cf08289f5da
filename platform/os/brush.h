// Solid GDI brushes behind the OS seam (the native build has no GDI: a stand-in token).
#pragma once

// A solid brush of the given colour, or null when it cannot be made.
void* CreateSolidColourBrush(unsigned char red, unsigned char green, unsigned char blue);
void DeleteSolidColourBrush(void* brush);
