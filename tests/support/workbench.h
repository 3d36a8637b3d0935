#pragma once

#include "app/gui/form1.h"
#include "support/fakeuiview.h"
#include "support/recordingviewer.h"
#include "support/scripteddialogs.h"
#include "support/uiviewinstall.h"

#include <QCoreApplication>
#include <QTest>

/// A started main window with scripted dialogs, as the tests drive it.
struct Workbench
{
    /// A window started at once, or left for the test to start after it has set up UI-View32.
    enum class Start { Now, Later };

    /// The window talks to the recording UI-View32 unless it is given another link.
    explicit Workbench(const QString &programFolder = QCoreApplication::applicationDirPath(), Start start = Start::Now,
                       UiViewConnector *link = nullptr)
        : form({dialogs, viewer, link ? *link : uiview, programFolder, [this] { return now; }})
    {
        isolateUserSettings();
        if (start == Start::Now)
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

    /// The entries of a list box, in order.
    QStringList entries(const QString &listName);

    ScriptedDialogs dialogs;
    RecordingViewer viewer;
    FakeUiView uiview;
    QDateTime now = QDateTime(QDate(2026, 12, 7), QTime(6, 0));
    Form1 form;
};
