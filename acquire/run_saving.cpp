#include "run_saving.h"

#include "recorder.h"
#include "setting.h"

#include <QCoreApplication>

namespace acquire {

DataFolder programDataFolder()
{
    return resolveDataFolder(Setting().read("save_path"), QCoreApplication::applicationDirPath());
}

SaveOutcome saveRecordedRun(Recorder &recorder, quint8 familyCode)
{
    recorder.setFamilyCode(familyCode);
    return recorder.saveRun(programDataFolder());
}

} // namespace acquire
