// The text of --help and of --version.
#ifndef KYORI_FRONTEND_HELP_H_
#define KYORI_FRONTEND_HELP_H_

#include <string>

namespace kyori {

std::string HelpText();
std::string VersionText();

}  // namespace kyori

#endif  // KYORI_FRONTEND_HELP_H_
