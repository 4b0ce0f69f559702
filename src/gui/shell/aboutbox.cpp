// SPDX-License-Identifier: GPL-3.0-or-later
#include "aboutbox.h"

#include "artwork.h"
#include "common/appinfo.h"
#include "widgets/messageboxes.h"
#include "systeminfolauncher.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vtx::shell {

namespace {

QLabel* label(const char* objectName, const QString& text)
{
    auto* l = new QLabel(text);
    l->setObjectName(QLatin1String(objectName));
    return l;
}

QFrame* rule(const char* objectName, const QColor& colour)
{
    auto* line = new QFrame;
    line->setObjectName(QLatin1String(objectName));
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette pal = line->palette();
    pal.setColor(QPalette::Window, colour);
    line->setPalette(pal);
    return line;
}

QString versionText()
{
    return QStringLiteral("Version ") + kVersionText;
}

} // namespace

AboutBox::AboutBox(SystemServices& system, MessageBoxes& messages, const QString& bannerText, QWidget* parent)
    : QDialog(parent), m_system(system), m_messages(messages)
{
    setObjectName(QStringLiteral("frmAbout2"));
    setWindowTitle(QStringLiteral("About ") + kApplicationTitle);
    setWindowIcon(applicationIcon());
    setModal(false);

    auto* logo = new LogoWidget;
    logo->setObjectName(QStringLiteral("picHalvoraLogo"));
    auto* title = label("lblTitle", kApplicationTitle);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    title->setFont(titleFont);
    title->setWordWrap(true);
    auto* version = label("lblVersion", versionText());
    auto* description = label("lblDescription", kApplicationComments);
    description->setWordWrap(true);

    auto* heading = label("lblDisclaimer_0", QStringLiteral("ACCURACY OF INFORMATION"));
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    heading->setFont(headingFont);
    auto* notice =
        label("lblDisclaimer_1",
              QStringLiteral(
                  "The readings and settings this program shows come from the evaluation board as it "
                  "answered at the time and are meant for evaluation only. Check them against the device's "
                  "data sheet before relying on them in a design. This program and the information it "
                  "presents may change without notice."));
    notice->setWordWrap(true);

    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    ok->setAutoDefault(true);
    auto* sysInfo = new QPushButton(QStringLiteral("&System Info..."));
    sysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    sysInfo->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
    connect(sysInfo, &QPushButton::clicked, this, &AboutBox::cmdSysInfo_Click);

    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(16);
    layout->addWidget(logo, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(title, 0, 1, 1, 2);
    layout->addWidget(version, 1, 1, 1, 2);
    layout->addWidget(description, 2, 1, 1, 2);
    // An etched separator: a grey line over a white one.
    auto* etched = new QVBoxLayout;
    etched->setSpacing(0);
    etched->addWidget(rule("Line1_1", QColor(128, 128, 128)));
    etched->addWidget(rule("Line1_0", Qt::white));
    layout->addLayout(etched, 3, 0, 1, 3);
    layout->addWidget(heading, 4, 0, 1, 2);
    layout->addWidget(notice, 5, 0, 2, 2, Qt::AlignTop);
    layout->addWidget(ok, 4, 2);
    layout->addWidget(sysInfo, 5, 2, Qt::AlignTop);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(6, 1);
    if (!bannerText.isEmpty())
        layout->addWidget(label("lblBanner", bannerText), 7, 0, 1, 3, Qt::AlignRight);
    resize(sizeHint().expandedTo(QSize(404, 373)));
}

void AboutBox::cmdSysInfo_Click()
{
    if (!startSystemInfo(m_system))
        m_messages.showMessage(this, kSystemInfoUnavailable, kApplicationTitle);
}

} // namespace vtx::shell
