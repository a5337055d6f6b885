#include <QApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdlib>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

int main(int argc, char** argv)
{
    // Test discovery and CI run these binaries without a display.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifndef Q_OS_WIN
    // Qt wants a runtime folder of the user's own; one per user, since another user's is not ours.
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
        const QString runtime = QDir::tempPath() + QStringLiteral("/tessavel-runtime-%1").arg(getuid());
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    }
#endif
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
