// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QTimer>

namespace vtx {

// A status-bar text that never shows a word cut in half: when the room is short it ends in "...", and its
// tool tip holds the whole text. A transient text (the outcome of one action) leaves after a while by
// itself. text() is always the whole text.
class StatusText final : public QLabel {
    Q_OBJECT
public:
    explicit StatusText(QWidget* parent = nullptr);

    // How long a text stays before it goes by itself; 0 (the default) keeps it until replaced.
    void setLifetime(int ms);
    // Hides QLabel::setText so that every text set through a StatusText starts its lifetime again.
    void setText(const QString& text);
    // The tool tip shown while the text fits (the whole text is shown while it does not).
    void setPlainToolTip(const QString& toolTip);

    // The size hint covers at least this text, whatever is shown: the room a status bar keeps for it.
    void setRoomFor(const QString& sample)
    {
        m_roomFor = sample;
        updateGeometry();
    }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateToolTip();

    QTimer m_lifetime;
    QString m_plainToolTip;
    QString m_roomFor;
};

} // namespace vtx
