#pragma once

#include <QPlainTextEdit>

/// The yellow box that shows the filter line, wrapped over its lines.
class FilterLineBox final : public QPlainTextEdit
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    explicit FilterLineBox(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
};
