#include "vantrell/xdf/window/XdfImportDialog.h"

#include "testsupport/WidgetLookup.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace vantrell::xdf {
namespace {

using testsupport::child;

// Answers the dialog's questions from the test's own lists.
class AnsweringDialogs : public XdfImportDialogs
{
  public:
    QString xdf, image, definition, saveTo;
    QStringList messages;
    QString openFile(QWidget*, FileKind kind, const QString&) override
    {
        return kind == FileKind::Xdf ? xdf : kind == FileKind::Image ? image : definition;
    }
    QString saveDefinitionFile(QWidget*, const QString& suggested) override
    {
        suggestedSave = suggested;
        return saveTo;
    }
    void showMessage(QWidget*, const QString& text) override { messages << text; }
    QString suggestedSave;
};

QString source(const char* relative)
{
    return QStringLiteral(TESSAVEL_SOURCE_DIR "/") + QLatin1String(relative);
}

int rowOf(QTableWidget* keys, const char* key)
{
    for (int row = 0; row < keys->rowCount(); ++row)
        if (keys->item(row, 0)->text() == QLatin1String(key))
            return row;
    ADD_FAILURE() << key;
    return 0;
}

class XdfImportDialogTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        QDir(folder.path()).mkpath(QStringLiteral("config"));
        answers.image = source("demo/data/demo.bin");
        answers.definition = source("demo/config/demo32k.ini");
        answers.saveTo = folder.filePath(QStringLiteral("config/imported.ini"));
    }
    // Picks the files through the browse buttons, as a user would, and reads them.
    void pick(XdfImportDialog& dialog, const char* xdf, bool withFacts)
    {
        answers.xdf = source("vantrell/xdf/tests/data/") + QLatin1String(xdf);
        QTest::mouseClick(child<QPushButton>(dialog, "xdf_file_browse"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(dialog, "image_file_browse"), Qt::LeftButton);
        if (withFacts)
            QTest::mouseClick(child<QPushButton>(dialog, "base_file_browse"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(dialog, "import_read"), Qt::LeftButton);
    }
    QTemporaryDir folder;
    AnsweringDialogs answers;
};

TEST_F(XdfImportDialogTest, ListsEveryKeyWithItsSourceAndSavesTheUsersChange)
{
    XdfImportDialog dialog(folder.path(), answers);
    dialog.show();
    pick(dialog, "wrong_titles.xdf", false);
    auto* keys = child<QTableWidget>(dialog, "import_keys");
    ASSERT_EQ(keys->rowCount(), 38);
    const int fuel = rowOf(keys, "fuelhighmap");
    EXPECT_EQ(keys->item(fuel, 1)->text(), QStringLiteral("&h7000"));
    EXPECT_EQ(keys->item(fuel, 2)->text(), QStringLiteral("guess"));
    EXPECT_TRUE(keys->item(fuel, 3)->text().contains(QStringLiteral("judged from the data")));
    EXPECT_TRUE(child<QPlainTextEdit>(dialog, "import_lines")
                    ->toPlainText()
                    .contains(QStringLiteral("Fuel knock map")));

    // No definition was picked for the engine's facts: the user types the injector size.
    const int injector = rowOf(keys, "injectorsize");
    EXPECT_EQ(keys->item(injector, 2)->text(), QStringLiteral("guess"));
    keys->item(injector, 1)->setText(QStringLiteral("550"));
    EXPECT_EQ(keys->item(injector, 2)->text(), QStringLiteral("certain"));
    EXPECT_EQ(keys->item(injector, 3)->text(), QStringLiteral("entered by the user"));
    EXPECT_EQ(child<QLabel>(dialog, "import_status")->text().toStdString(), "38 keys, 30 of them guesses.");

    // A picture of the dialog for whoever looks at it (TESSAVEL_PICTURES=folder).
    if (const QString pictures = qEnvironmentVariable("TESSAVEL_PICTURES"); !pictures.isEmpty())
        dialog.grab().save(QDir(pictures).filePath(QStringLiteral("xdf-import-dialog.png")));

    QTest::mouseClick(child<QPushButton>(dialog, "import_save"), Qt::LeftButton);
    EXPECT_TRUE(answers.messages.isEmpty()) << answers.messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(answers.suggestedSave, folder.filePath(QStringLiteral("config/wrong_titles.ini")));
    EXPECT_EQ(dialog.savedPath(), answers.saveTo);
    QFile saved(answers.saveTo);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray text = saved.readAll();
    EXPECT_TRUE(text.contains("injectorsize=550\r\n"));
    EXPECT_TRUE(text.contains("fuelhighmap=&h7000\r\n"));
}

TEST_F(XdfImportDialogTest, RefusedAxesBlockTheSaveUntilTheUserGivesThem)
{
    XdfImportDialog dialog(folder.path(), answers);
    pick(dialog, "bad_axes.xdf", true);
    auto* keys = child<QTableWidget>(dialog, "import_keys");
    EXPECT_EQ(keys->item(rowOf(keys, "cyl"), 1)->text(), QStringLiteral("6"));
    EXPECT_EQ(child<QLabel>(dialog, "import_status")->text().toStdString(),
              "38 keys, 24 of them guesses; 4 to fill in before saving.");
    const QString lines = child<QPlainTextEdit>(dialog, "import_lines")->toPlainText();
    EXPECT_TRUE(lines.contains(QStringLiteral("Refused: Table \"Ignition map high octane\"")))
        << lines.toStdString();
    QTest::mouseClick(child<QPushButton>(dialog, "import_save"), Qt::LeftButton);
    ASSERT_EQ(answers.messages.size(), 1);
    EXPECT_TRUE(answers.messages[0].contains(QStringLiteral("fuelrev has no value")))
        << answers.messages[0].toStdString();
    EXPECT_FALSE(QFile::exists(answers.saveTo));

    // The maps are kept; the user types the four axes, one of them first past the end of the ROM.
    EXPECT_EQ(keys->item(rowOf(keys, "fuelhighmap"), 1)->text(), QStringLiteral("&h7000"));
    const std::pair<const char*, const char*> typed[] = {
        {"fuelrev", "&h7400"}, {"fuelflow", "&h7410"}, {"ignrev", "&h7420"}, {"ignflow", "&h7ff8"}};
    for (const auto& [key, value] : typed)
        keys->item(rowOf(keys, key), 1)->setText(QLatin1String(value));
    EXPECT_FALSE(dialog.save());
    ASSERT_EQ(answers.messages.size(), 2);
    EXPECT_TRUE(answers.messages[1].contains(QStringLiteral("ignflow &h7ff8 reaches past the end")))
        << answers.messages[1].toStdString();
    keys->item(rowOf(keys, "ignflow"), 1)->setText(QStringLiteral("&h7430"));
    EXPECT_TRUE(dialog.save());
    EXPECT_TRUE(QFile::exists(answers.saveTo));
}

TEST_F(XdfImportDialogTest, AFileThatCannotBeReadIsSaidAndNothingIsListed)
{
    XdfImportDialog dialog(folder.path(), answers);
    answers.image = folder.filePath(QStringLiteral("missing.bin"));
    pick(dialog, "demo.xdf", false);
    EXPECT_EQ(child<QTableWidget>(dialog, "import_keys")->rowCount(), 0);
    EXPECT_TRUE(
        child<QPlainTextEdit>(dialog, "import_lines")->toPlainText().contains(QStringLiteral("missing.bin")));
    EXPECT_FALSE(child<QPushButton>(dialog, "import_save")->isEnabled());
}

} // namespace
} // namespace vantrell::xdf
