#include "pixindex/page_lines.h"

namespace pixmoor {

// A single-label name on purpose: the program names no outside host; a
// maker who publishes the program sets the real address here.
const char* const HomePageAddress = "http://pixmoor/";
const char* const EndLine = "<BR></BODY></HTML>";

std::vector<std::string> HeadLines(Language language, bool headerFileFound,
                                   const std::vector<std::string>& headerLines) {
  const bool german = language == Language::German;
  std::vector<std::string> lines = {
      "<HTML><HEAD><TITLE>Pictures</TITLE></HEAD>",
      "<body BGCOLOR=#ffffff>",
      "<font size=6><center>Relax and enjoy!<br>",
      german ? "<font size=3>Die Bilder wurden f\xFCr Sie zusammengestellt von Pixmoor<br><br>"
             : "<font size=3>Pictures arranged by Pixmoor<br><br>",
  };
  if (headerFileFound) {
    lines.insert(lines.end(), headerLines.begin(), headerLines.end());
  } else {
    lines.push_back(german ? "Besuchen Sie JETZT unsere Internet-Seite auf<br>" : "Visit our (german) homepage NOW!<br>");
    const std::string address = HomePageAddress;
    lines.push_back("<font size=4><a href=\"" + address + "\">" + address + "</a><br><br>");
  }
  return lines;
}

std::string CountLine(Language language, size_t count, const std::string& displayPath) {
  return "<font size=5><center>" + std::to_string(count) +
         (language == Language::German ? " Bild(er) in " : " Picture(s) in ") + displayPath + "</center><br>";
}

std::string ImageLine(const std::string& sourcePath) { return "<IMG SRC=\"" + sourcePath + "\">"; }

std::string FullPathOf(const std::string& folderPath, const std::string& name) {
  if (!folderPath.empty() && folderPath.back() == '\\') return folderPath + name;
  return folderPath + "\\" + name;
}

std::string PictureSourcePath(const std::string& fullPath) {
  const size_t slash = fullPath.rfind('\\');
  const std::string folder = slash == std::string::npos ? "" : fullPath.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? fullPath : fullPath.substr(slash + 1);
  return (folder.size() > 2 ? folder.substr(2) : "") + name;
}

std::string LastComponent(const std::string& folderPath) {
  std::string path = folderPath;
  while (!path.empty() && path.back() == '\\') path.pop_back();
  const size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return path.size() == 2 && path[1] == ':' ? "" : path;
  return path.substr(slash + 1);
}

}  // namespace pixmoor
