#pragma once

#include "app/gui/form1.h"
#include "support/recordingviewer.h"
#include "support/scripteddialogs.h"

#include <QCoreApplication>
#include <QTest>

/// A started main window with scripted dialogs, as the tests drive it.
struct Workbench
{
    explicit Workbench(const QString &programFolder = QCoreApplication::applicationDirPath())
        : form({dialogs, viewer, programFolder})
    {
        form.start();
    }

    /// The widget of that object name; the test fails loudly when there is none.
    template<typename Widget>
    Widget *find(const QString &name)
    {
        auto *widget = form.findChild<Widget *>(name);
        if (!widget)
            qFatal("no widget named %s", qPrintable(name));
        return widget;
    }

    ScriptedDialogs dialogs;
    RecordingViewer viewer;
    Form1 form;
};
