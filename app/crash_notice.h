#pragma once
// After a crash, the next start says so and where the report is.

class QString;
class QWidget;

// Logs, once after a crash, that the program closed unexpectedly and where the report is; returns
// the report's path, or an empty string when no report was written since the last one was noticed.
QString logUnseenCrash();

// The same, and shows the notice without waiting for it.
void showCrashNotice(QWidget *parent);
