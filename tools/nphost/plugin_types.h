// Matching an embed to a plug-in the way browsers did: the src file's
// extension against the plug-in's "FileExtents", which names the MIME type
// at the same position of "MIMEType". Both lists separate types with '|';
// one type may have several extensions separated by ','.
#pragma once

#include <string>

namespace lmr {

// The extension of a URL or path without its query or fragment, e.g. "lmr"
// for "movies/intro.LMR?x=1" (case kept); empty when it has none.
std::string urlExtension(const std::string& url);

// The MIME type registered for the extension (case-insensitive), or empty.
std::string mimeTypeForExtension(const std::string& mimeTypes, const std::string& fileExtents,
                                 const std::string& extension);

}  // namespace lmr
