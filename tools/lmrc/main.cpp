// lmrc: compiles movie source text into a movie, or dumps a movie as source.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/lmrc/dumper.h"
#include "tools/lmrc/movie_decoder.h"
#include "tools/lmrc/source_compiler.h"

namespace {

const char* const HelpText = R"(Usage:
  lmrc SOURCE -o MOVIE.lmr    compile movie source text into a movie
  lmrc --dump MOVIE.lmr       print a movie as source text
  lmrc --help                 this text

Source: one statement a line (or separated by ';'), '#' starts a comment
(except #rrggbb colours), blocks in { }. Numbers are movie units, or pixels
as 12px (20 units). Matrices: translate X Y, scale S [SY], rotate DEG, or
matrix A B C D TX TY. Statements:
  movie rect X0 X1 Y0 Y1 rate 12 [version 1] [frames N] [length N] [noend]
  frame [N] | end | background #rrggbb | drop ID | remove ID DEPTH
  place ID DEPTH [matrix]
  shape ID [bounds X0 X1 Y0 Y1] {
    fill solid #c | fill linear|radial [matrix] stops R #c ... | fill bitmap ID [matrix]
    line WIDTH #c
    moveto X Y [fill0 N] [fill1 N] [line N] | style fill0 N ... | lineto X Y
    curveto CX CY X Y | close }
  button ID { state idle+hover+pressed+hit CHAR DEPTH [matrix]; ACTIONS }
  actions { ACTIONS }   ACTIONS: play stop next prev quality goto N
                        url "URL" "TARGET" action CODE [<hex bytes>]
  font ID "file.ttf" [chars "..."] [name "..."] [bold] [italic] [system]
  font ID { glyph [code "c"] [advance N] { moveto ...; lineto ... } }
  fontface ID "name" [bold] [italic] [wide] [system] codes "..."
  text ID [matrix] { font ID height H color #c x X y Y "string" [advances ...] }
  jpeg ID "picture.jpg|.png|.ppm" [quality Q]
  jpegtables <hex> | jpegimage ID <hex>
  tag CODE [<hex>] | bytes <hex>
Field widths (bits, rectbits, scalebits, ...) and the tag header form
(long, short) can be given; see tools/lmrc/README.md.
)";

int usage(const std::string& message) {
  std::cerr << "lmrc: " << message << "\nUsage: lmrc SOURCE -o MOVIE.lmr | lmrc --dump MOVIE.lmr | lmrc --help\n";
  return 2;
}

bool readWhole(const std::string& path, std::vector<uint8_t>& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

int dump(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!readWhole(path, bytes)) {
    std::cerr << path << ": cannot read the file\n";
    return 1;
  }
  try {
    std::cout << lmr::lmrc::dumpMovie(bytes);
  } catch (const lmr::lmrc::MovieFormatError& e) {
    std::cerr << path << ": " << e.what() << "\n";
    return 1;
  }
  return 0;
}

std::string directoryOf(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

int compile(const std::string& source, const std::string& output) {
  std::vector<uint8_t> text;
  if (!readWhole(source, text)) {
    std::cerr << source << ": cannot read the file\n";
    return 1;
  }
  std::vector<uint8_t> movie;
  try {
    movie = lmr::lmrc::compileSource(std::string(text.begin(), text.end()), directoryOf(source));
  } catch (const lmr::lmrc::SourceError& e) {
    std::cerr << source;
    if (e.line > 0) std::cerr << ":" << e.line;
    std::cerr << ": " << e.what() << "\n";
    return 1;
  }
  // Written beside the target, then renamed: a failed run leaves no movie.
  std::string temporary = output + ".lmrc-tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(movie.data()), static_cast<std::streamsize>(movie.size()));
    out.close();
    if (!out) {
      std::remove(temporary.c_str());
      std::cerr << output << ": cannot write the movie\n";
      return 1;
    }
  }
#ifdef _WIN32
  std::remove(output.c_str());  // rename does not replace on Windows
#endif
  if (std::rename(temporary.c_str(), output.c_str()) != 0) {
    std::remove(temporary.c_str());
    std::cerr << output << ": cannot write the movie\n";
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << HelpText;
    return 0;
  }
  if (!args.empty() && args[0] == "--dump") {
    if (args.size() != 2) return usage("--dump takes one movie file");
    return dump(args[1]);
  }
  std::string source, output;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o") {
      if (i + 1 >= args.size()) return usage("-o needs a file name");
      if (!output.empty()) return usage("-o is given twice");
      output = args[++i];
    } else if (!args[i].empty() && args[i][0] == '-') {
      return usage("unknown option " + args[i]);
    } else if (source.empty()) {
      source = args[i];
    } else {
      return usage("more than one source file");
    }
  }
  if (source.empty()) return usage("no source file");
  if (output.empty()) return usage("no output file (-o MOVIE.lmr)");
  return compile(source, output);
}
