#include "acquire/run_saving.h"

#include "record/csv_format.h"
#include "record/recorder.h"
#include "settings/settings_file.h"

#include <QCoreApplication>

namespace acquire {

DataFolder programDataFolder()
{
    return resolveDataFolder(SettingsFile().read("save_path"), QCoreApplication::applicationDirPath());
}

SaveOutcome saveRecordedRun(Recorder &recorder)
{
    return recorder.saveRun(programDataFolder());
}

} // namespace acquire
