#pragma once
// The HDR/EXR file behind a source map, and the one form in which paths are compared.

#include <iparamb2.h>
#include <imtl.h>

/// True when the path's file name has the extension ".hdr" or ".exr", case ignored (an
/// alternate-stream suffix such as ":meta" is ignored).
bool IsHdrOrExrPath(const MSTR& path);

/// The path key: the weakly canonical form of the path (links resolved in the part that
/// exists), lower-cased; a lexically normal form when the path cannot be resolved. Empty for
/// an empty path.
MSTR MakePathKey(const MSTR& path);

/// True when the two paths have the same key (two empty paths are the same path).
bool IsSamePath(const MSTR& a, const MSTR& b);

/// Reads a file-name or string parameter at time 0; true when a non-empty path was read.
bool ReadParamPath(IParamBlock2* block, ParamID id, MSTR& outPath);

/// The HDR/EXR file the map shows: its first such asset, else its first file-name parameter
/// holding one, else its first such string parameter; empty when there is none.
MSTR GetTexmapFilePath(Texmap* map);

/// Writes a new path into the map's first file-name parameter or, without one, into the first
/// string parameter that holds an HDR/EXR path. Sends no notification of its own.
bool SetTexmapFilePath(Texmap* map, const MSTR& newPath);

/// The lexically normal form: '\\' separators, repeats collapsed, "." dropped, "x\\.." dropped.
MSTR LexicallyNormalPath(const MSTR& path);
