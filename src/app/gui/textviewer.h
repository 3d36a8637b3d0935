#pragma once

#include <QString>

/// Opens a text file for reading in a viewer of the desktop, without waiting for it.
class TextViewer
{
public:
    virtual ~TextViewer() = default;

    /// Starts the viewer on the file; false when it could not be started.
    virtual bool open(const QString &path) = 0;
};

/// Notepad on Windows, the desktop's viewer for text files elsewhere.
class DesktopTextViewer final : public TextViewer
{
public:
    bool open(const QString &path) override;
};
