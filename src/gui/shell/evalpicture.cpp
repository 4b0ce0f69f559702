// SPDX-License-Identifier: GPL-3.0-or-later
#include "evalpicture.h"

#include "artwork.h"
#include "boardpicture.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace vtx::shell {

namespace {

QLabel* noteLabel(const char* objectName, const QString& text)
{
    auto* label = new QLabel(text);
    label->setObjectName(QLatin1String(objectName));
    label->setWordWrap(true);
    QFont font = label->font();
    font.setFamily(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(12);
    font.setBold(true);
    label->setFont(font);
    label->setFixedWidth(label->fontMetrics().averageCharWidth() * 16);
    return label;
}

} // namespace

EvalPicture::EvalPicture(const QString& bannerText, QWidget* parent)
    : QWidget(parent, Qt::Window), m_picture(new BoardPicture)
{
    setObjectName(QStringLiteral("EvalPicture"));
    setWindowTitle(QStringLiteral("Jumper Orientation Information"));
    setWindowIcon(applicationIcon());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);

    auto* notes = new QVBoxLayout;
    notes->addSpacing(30);
    notes->addWidget(noteLabel("lblUpper", QStringLiteral("To Write to the part, J3 Must be in Pos 2-3.")));
    notes->addSpacing(20);
    notes->addWidget(noteLabel(
        "lblLower", QStringLiteral("To Utilize SCL_S,  J3 Must be in Pos 2-3 and J16 must be 2 to 3.")));
    notes->addStretch(1);

    auto* row = new QHBoxLayout;
    row->addLayout(notes);
    row->addWidget(m_picture, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 6, 8, 6);
    layout->addLayout(row, 1);
    if (!bannerText.isEmpty()) {
        auto* banner = new QLabel(bannerText);
        banner->setObjectName(QStringLiteral("lblBanner"));
        layout->addWidget(banner, 0, Qt::AlignRight);
    }
    resize(578, 434);
}

void EvalPicture::showFor(QWidget* opener)
{
    if (!m_placed && opener) {
        QRect frame = geometry();
        frame.moveCenter(opener->frameGeometry().center());
        move(frame.topLeft());
        m_placed = true;
    }
    show();
    raise();
    activateWindow();
}

} // namespace vtx::shell
