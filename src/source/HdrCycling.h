#pragma once
// Swapping the source map's HDR/EXR file: any file through the open-file dialog, or the
// previous or next HDR/EXR file of the current file's folder.

#include <max.h>

#include <vector>

class Zenithra;

/// The HDR/EXR files of the current file's folder, sorted by HdrPathLess, duplicates (by path
/// key) removed; empty for an empty path or a bare file name.
std::vector<MSTR> ScanHdrFolder(const MSTR& currentPath);

/// Lower-cased code-unit order of two full paths.
bool HdrPathLess(const MSTR& a, const MSTR& b);

/// The folder part of a path ("C:\" for "C:\sky.hdr"; empty for a bare name).
MSTR ParentFolder(const MSTR& path);

/// Steps the source map to the next (or previous) HDR/EXR file of its folder, wrapping around.
void SelectNextHdr(Zenithra* map);
void SelectPreviousHdr(Zenithra* map);

/// Lets the user choose any file with the open-file dialog and shows it in the source map.
void BrowseHdrFile(Zenithra* map, HWND rollupWindow);
