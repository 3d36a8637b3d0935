#pragma once

#include <QPlainTextEdit>

#include <utility>

/// The yellow box that shows the filter line, wrapped over its lines.
class FilterLineBox final : public QPlainTextEdit
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    explicit FilterLineBox(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);

    /// Marks stretches of the line (start and length) as what servers ignore: struck through and
    /// underlined with a wave, so that the mark does not rest on colour alone.
    void markIgnored(const QList<std::pair<qsizetype, qsizetype>> &stretches);
};
