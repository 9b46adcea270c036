#pragma once
// Where and how a finished run is saved, the same with or without the window: the data folder
// (the one the user last saved to, else the program's), and the save that names the data file,
// writes it durably and ends the run's journal.

#include "record/data_folder.h"
#include "record/data_file_saver.h"

class Recorder;

namespace acquire {

DataFolder programDataFolder();

// The recorded run, laid out for the family it was recorded from, saved into
// programDataFolder(); or why not.
SaveOutcome saveRecordedRun(Recorder &recorder);

} // namespace acquire
