// Shared pieces of the editor's window tests: a program folder copied from the demo folder into a
// temporary directory, dialogs answered from queues, and a main window over simulated boards in the
// test process with a clock that does not wait.
#pragma once

#include "vantrell/shell/MainWindow.h"

// InProcessPort.h brings the board model in, guarded against the Qt keyword macros.
#include "boardsim/InProcessPort.h"
#include "emulink/FakeClock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace vantrell::testing {

// Answers every dialog from its queue; an empty queue answers "cancelled" (empty path, Cancel).
class TestDialogs : public Dialogs
{
  public:
    std::string fncGetFileNametoOpen(const std::string& title, const std::string& filter,
                                     const std::string& ext, const std::string& folder) override
    {
        opens.push_back({title, filter, ext, folder});
        return next(openAnswers);
    }
    std::string fncGetFileNametoSave(const std::string& filter, const std::string& ext,
                                     const std::string& title, const std::string& folder) override
    {
        saves.push_back({title, filter, ext, folder});
        return next(saveAnswers);
    }
    Answer askYesNoCancel(const std::string& title, const std::string& text) override
    {
        questions.push_back(title + "|" + text);
        if (questionAnswers.empty())
            return Answer::Cancel;
        Answer a = questionAnswers.front();
        questionAnswers.pop_front();
        return a;
    }
    // Answered from the same queue; No when it is empty.
    Answer askYesNo(const std::string& title, const std::string& text) override
    {
        const Answer a = askYesNoCancel(title, text);
        return a == Answer::Yes ? Answer::Yes : Answer::No;
    }
    void showMessage(const std::string& title, const std::string& text) override
    {
        messages.push_back({title, text});
    }
    void beep() override { ++beeps; }

    struct Call
    {
        std::string title, filter, extension, folder;
    };
    struct Message
    {
        std::string title, text;
    };
    std::deque<std::string> openAnswers, saveAnswers;
    std::deque<Answer> questionAnswers;
    std::vector<Call> opens, saves;
    std::vector<std::string> questions;
    std::vector<Message> messages;
    int beeps = 0;

  private:
    static std::string next(std::deque<std::string>& queue)
    {
        if (queue.empty())
            return {};
        std::string s = queue.front();
        queue.pop_front();
        return s;
    }
};

// A program folder with config/, data/, maps/ and afm/ copied from the demo folder, in a temporary
// folder or in a subfolder `under` of it.
class ProgramFolder
{
  public:
    explicit ProgramFolder(const QString& under = {})
        : path_(under.isEmpty() ? dir_.path() : dir_.filePath(under))
    {
        const QString demo = QStringLiteral(TESSAVEL_SOURCE_DIR "/demo");
        for (const char* sub : {"config", "data", "maps", "afm"})
            copyTree(demo + "/" + sub, path() + "/" + sub);
    }
    QString path() const { return path_; }
    std::string file(const std::string& relative) const { return path_.toStdString() + "/" + relative; }
    void write(const std::string& relative, const std::string& contents) const
    {
        QFile f(QString::fromStdString(file(relative)));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(contents.data(), static_cast<qint64>(contents.size()));
    }
    std::string read(const std::string& relative) const
    {
        QFile f(QString::fromStdString(file(relative)));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return f.readAll().toStdString();
    }
    void remove(const std::string& relative) const { QFile::remove(QString::fromStdString(file(relative))); }

  private:
    static void copyTree(const QString& from, const QString& to)
    {
        QDir().mkpath(to);
        QDir source(from);
        for (const QFileInfo& info : source.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (info.isDir())
                copyTree(info.filePath(), to + "/" + info.fileName());
            else
                QFile::copy(info.filePath(), to + "/" + info.fileName());
        }
    }
    QTemporaryDir dir_;
    QString path_;
};

// The port list of the tests: no serial port of the machine they run on shows.
inline std::vector<emulink::PortDescription> noPorts()
{
    return {};
}

// The found list and the options as a scan of boards 1 and 2 and the setup page would set them
// (straight layout, 16 bits), so the window can go online without the scan's three-second pause.
inline void setUpTwoBoards(MainWindow& w)
{
    w.parts().link().setFoundEmulators({1, 2}, 2);
    EmulatorSettings& s = w.parts().setupPage()->settings();
    s.emulator_count = 2;
    s.emulator_rom = 1;
    s.emulator_bits = 16;
}

// A main window over two simulated boards (IDs 1 and 2, 27C256 size) in the test process.
struct EditorRig
{
    explicit EditorRig(std::vector<boardsim::BoardConfig> boards = {{1, 1, 2, 0x8000}, {2, 1, 2, 0x8000}})
        : bus(std::move(boards)), port(bus, clock)
    {}
    // The program folder in a subfolder of that name.
    explicit EditorRig(const QString& programSubfolder)
        : folder(programSubfolder), bus({{1, 1, 2, 0x8000}, {2, 1, 2, 0x8000}}), port(bus, clock)
    {}
    // No serial port of the machine the tests run on shows in the port list.
    void start() { window = std::make_unique<MainWindow>(folder.path(), dialogs, port, clock, noPorts); }
    std::string log() const { return window->parts().statusWindow()->log().text(); }

    ProgramFolder folder;
    TestDialogs dialogs;
    emulink::FakeClock clock;
    boardsim::BoardBus bus;
    boardsim::InProcessPort port;
    std::unique_ptr<MainWindow> window;
};

} // namespace vantrell::testing
