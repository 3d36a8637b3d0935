#pragma once

#include "app/gui/textviewer.h"

#include <QStringList>

/// A text viewer that only records the files it was asked to open.
class RecordingViewer final : public TextViewer
{
public:
    bool open(const QString &path) override;

    QStringList opened;
    bool starts = true; ///< whether the viewer pretends to start
};
