#pragma once

// Shared pieces of the window tests: a presenter that records messages and
// beeps instead of showing boxes, a private settings folder, and a window
// made with them.

#include "ui/main_window.h"
#include "ui/message_presenter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestro::test {

struct ShownMessage {
    QString text;
    QString title;
    MessageIcon icon;
};

class RecordingPresenter : public MessagePresenter {
public:
    std::vector<ShownMessage> messages;
    int beeps = 0;
    // Runs while the "box" is open.
    std::function<void(const ShownMessage&)> onMessage;

    void showMessage(QWidget*, const QString& text, const QString& title,
                     MessageIcon icon) override {
        messages.push_back({text, title, icon});
        if (onMessage)
            onMessage(messages.back());
    }
    void beep() override { ++beeps; }
};

// Points the settings store at a fresh folder for the life of the object.
class PrivateSettings {
public:
    PrivateSettings() : old_(qgetenv("XDG_CONFIG_HOME")) {
        qputenv("XDG_CONFIG_HOME", folder_.path().toLocal8Bit());
    }
    ~PrivateSettings() { qputenv("XDG_CONFIG_HOME", old_); }
    PrivateSettings(const PrivateSettings&) = delete;
    PrivateSettings& operator=(const PrivateSettings&) = delete;

    std::string configFolder() const { return folder_.path().toStdString(); }
    std::string confPath() const { return configFolder() + "/Kestro/Kestro.conf"; }

private:
    QTemporaryDir folder_;
    QByteArray old_;
};

// A window with a recording presenter and only the drive "/" unless told
// otherwise.
inline std::unique_ptr<MainWindow> makeWindow(std::shared_ptr<RecordingPresenter> presenter,
                                              MainWindowServices services = {}) {
    services.presenter = std::move(presenter);
    if (!services.listDrives)
        services.listDrives = [] { return std::vector<std::string>{"/"}; };
    return std::make_unique<MainWindow>(std::move(services));
}

// Writes a file (and its missing folders) for a test tree.
inline void makeFile(const QString& path, const QByteArray& content = "x") {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace kestro::test
