// The run behind "Batch (.hta) &speichern": writes the launcher file.
#pragma once

void RunBatchWriter(bool deleteOriginals);
