#pragma once
// The user's message for a file that could not be opened: the file, the line, what is wrong.

#include "review/run_file.h"

namespace review {

QString readProblemText(const QString &path, const ReadError &error);

} // namespace review
