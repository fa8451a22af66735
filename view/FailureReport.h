#pragma once

#include <QString>

#include <exception>

namespace tavlex {

// What a command that failed tells the user, in Japanese (UserMessage), for the album at
// albumPath (may be empty). The developer detail, error.what(), goes to standard error and never
// into the user's dialog.
QString DescribeFailure(const std::exception& error, const QString& albumPath);

}  // namespace tavlex
