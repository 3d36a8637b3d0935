#include "support/recordingviewer.h"

bool RecordingViewer::open(const QString &path)
{
    opened.append(path);
    return starts;
}
