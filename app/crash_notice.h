#pragma once
// After a crash, the next start says so and where the report is.

class QWidget;

// Shows the notice, without waiting for it, when a crash report was written since the last one
// was noticed; logs it too.
void showCrashNotice(QWidget *parent);
