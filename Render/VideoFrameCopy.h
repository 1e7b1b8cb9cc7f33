#pragma once

#include <windows.h>
#include <d3d9.h>
#include <ddraw.h>

// Copies the top-left width x height pixels of a locked DirectDraw frame
// into a locked texture area of the given format (X8R8G8B8 or R5G6B5),
// converting each pixel through the frame's channel masks. Frames of 16,
// 24 and 32 bits per pixel are read; a frame of any other depth, or a
// texture format other than those two, is left uncopied (false).
bool CopyVideoFrame(const DDSURFACEDESC& frame, const D3DLOCKED_RECT& target, D3DFORMAT format,
                    int width, int height);
