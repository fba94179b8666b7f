// The lines of the picture page, as bytes in the Windows ANSI code page
// (German letters as single bytes, for instance u-umlaut 0xFC): the head,
// one count line per folder with pictures, one image line per picture, the
// end line, and the paths they carry.
#pragma once

#include <string>
#include <vector>

namespace pixmoor {

enum class Language { English, German };

// The maker's home page, linked from the head of every page written
// without a header file of the user's own.
extern const char* const HomePageAddress;

// The head lines in order. With a header file (`headerFileFound`), its
// lines stand, unchanged, where the home-page lines would be; the credit
// line is written either way.
std::vector<std::string> HeadLines(Language language, bool headerFileFound,
                                   const std::vector<std::string>& headerLines);

// "<font size=5><center>N Picture(s) in PATH</center><br>" (German:
// "Bild(er) in").
std::string CountLine(Language language, size_t count, const std::string& displayPath);

// <IMG SRC="SOURCE">, no character escaped.
std::string ImageLine(const std::string& sourcePath);

extern const char* const EndLine;

// The folder path and the entry name joined by one backslash (none added
// after a path that already ends in one, such as a drive root D:\).
std::string FullPathOf(const std::string& folderPath, const std::string& name);

// The picture's path without its drive: the folder part up to and including
// the last backslash, less its first two characters (the drive letter and
// the colon), then the name. D:\PIX\OLD\c.gif gives \PIX\OLD\c.gif, a
// picture in the root of D gives \c.gif. A path too short to hold a drive
// gives what is left after the first two characters of its folder part.
std::string PictureSourcePath(const std::string& fullPath);

// The last component of a folder path: OLD for D:\PIX\OLD, empty for D:\.
std::string LastComponent(const std::string& folderPath);

}  // namespace pixmoor
