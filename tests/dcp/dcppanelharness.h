#pragma once

#include "dcp/dcppanelwindow.h"
#include "simfixture.h"

#include "common/lampwidget.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <memory>

namespace vtx::test {

// A DCP panel on the simulated board, loaded, with the controls found by their object names, so every test
// also checks that the names are right.
struct DcpPanelHarness {
    SimFixture f;
    std::unique_ptr<dcp::DcpPanelWindow> window;

    explicit DcpPanelHarness(bool load = true)
    {
        window = std::make_unique<dcp::DcpPanelWindow>(f.context);
        window->show();
        if (load) {
            loaded = window->Form_Load();
            f.board.clearTransferLog();
        }
    }
    bool loaded = false;

    template <typename T>
    T* child(const char* name) const
    {
        T* widget = window->findChild<T*>(QLatin1String(name));
        if (!widget)
            qFatal("no control named %s", name);
        return widget;
    }

    QListWidget* setList() const { return child<QListWidget>("List1_0"); }
    QListWidget* readList() const { return child<QListWidget>("List1_1"); }
    LampWidget* lamp(const char* name) const { return child<LampWidget>(name); }
    LampColor commLamp() const { return lamp("Shape1_4")->color(); }
    LampColor writeLamp() const { return lamp("Shape1_1")->color(); }
    LampColor readLamp() const { return lamp("Shape1_2")->color(); }
    LampColor timerLamp() const { return lamp("Shape1_3")->color(); }
    LampColor attachLamp() const { return lamp("ShpAttach")->color(); }
    QString text(const char* lineEdit) const { return child<QLineEdit>(lineEdit)->text(); }
    QString label(const char* name) const { return child<QLabel>(name)->text(); }
    void click(const char* button) const { child<QPushButton>(button)->click(); }
    QCheckBox* box(const char* name) const { return child<QCheckBox>(name); }

    // The DCP commands as they went out on the I2C pipe of the simulated module (a kind-1 module: pipe 3).
    std::vector<QString> i2cCommands() const
    {
        std::vector<QString> result;
        for (const auto& record : f.writesOn(3))
            result.push_back(hexBytes(record.bytes));
        return result;
    }
};

} // namespace vtx::test
