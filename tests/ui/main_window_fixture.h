#pragma once

// Shared pieces of the window tests: a presenter that records messages and
// beeps instead of showing boxes, a private settings folder, a window made
// with them, and the test class base that sets them up for each test.

#include "ui/main_window.h"
#include "ui/message_presenter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QSettings>
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

    // Questions asked, each answered with `answer`.
    std::vector<ShownMessage> questions;
    bool answer = false;
    bool askYesNo(QWidget*, const QString& text, const QString& title) override {
        questions.push_back({text, title, MessageIcon::None});
        return answer;
    }
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

// Writes a file (and its missing folders) for a test tree, replacing what
// was there.
inline void makeFile(const QString& path, const QByteArray& content = "x") {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

// The bytes of a file, or "<missing>".
inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<missing>");
    return file.readAll();
}

// Base of the window test classes: before each test a private settings
// folder, a recording presenter, an empty folder of the test's own and
// (unless the class makes its windows itself) a window; after it, all gone.
// A class adds its own set-up in prepare(), never in an init() of its own.
class WindowTest : public QObject {
    Q_OBJECT

public:
    enum class Window { PerTest, MadeByTests };
    explicit WindowTest(Window window = Window::PerTest)
        : windowPerTest_(window == Window::PerTest) {
        // Qt keeps its own settings (the file dialog's) where the first use
        // found them, for the life of the process: in a folder of this
        // object's, not in the first test's settings folder, which would
        // come back after that test removed it.
        const QByteArray old = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", qtSettings_.path().toLocal8Bit());
        QSettings(QSettings::UserScope, QStringLiteral("QtProject")).fileName();
        qputenv("XDG_CONFIG_HOME", old);
    }

protected:
    std::unique_ptr<PrivateSettings> settings_;
    std::shared_ptr<RecordingPresenter> presenter_;
    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<MainWindow> window_;

    // Runs after the common set-up of each test.
    virtual void prepare() {}
    // `name` in the test's own folder.
    QString inFolder(const QString& name) const { return folder_->filePath(name); }

private slots:
    void init() {
        settings_ = std::make_unique<PrivateSettings>();
        presenter_ = std::make_shared<RecordingPresenter>();
        folder_ = std::make_unique<QTemporaryDir>();
        QVERIFY(folder_->isValid());
        if (windowPerTest_)
            window_ = makeWindow(presenter_);
        prepare();
    }
    void cleanup() {
        window_.reset();
        folder_.reset();
        settings_.reset();
    }

private:
    bool windowPerTest_;
    QTemporaryDir qtSettings_;
};

} // namespace kestro::test
