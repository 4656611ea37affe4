// The paths of an archive's two files, derived from the one path that names
// the archive.  The library and imgtool both derive them here.
//
// The rule: the .img path is the archive path with its extension replaced by
// ".img", the .dir path the same with ".dir".  The extension is what follows
// the last '.' of the path when no folder separator ('\' or '/', which Windows
// takes alike) and no ':' follows that dot; a path without one gets the new
// extension appended.  In a two-byte code page the trail byte of a character
// never counts as one of these marks.  So C:/mods/data.v1/models gives
// C:/mods/data.v1/models.img, and D:\data\models.img gives D:\data\models.dir.
#pragma once

#include <string>

namespace tolvane {

std::string ImgPathOf(const std::string& archivePath);
std::string DirPathOf(const std::string& archivePath);
// The archive path with its extension replaced by extension (".img", "").
std::string WithExtension(const std::string& archivePath, const std::string& extension);

}  // namespace tolvane
