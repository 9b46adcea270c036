#pragma once
// The lab link's states and reasons in the user's language. The session and the publisher word
// them in English for the log; the dialog and the status line show them through these, so that
// a language switch re-words them too. Words from outside (the system's errors, TLS reasons, a
// broker's name) pass unchanged.

#include <QString>

namespace lablink {

// "the broker refused: connection refused: not authorised." → "代理服务器拒绝: 未授权" (or its
// English through the catalogue).
QString reasonText(const QString &reason);
// A publisher status line: "connecting to …", "connected to …", "…: reason; retrying in 4 s".
QString statusText(const QString &status);

} // namespace lablink
