// The file system group: refresh, the directory box, Delete and Format, as the simulated
// device and the widgets see them.
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "tests/admin/pages/PageFixture.h"

using orvane::test::PageFixture;

namespace {

QStringList rows(QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

QStringList items(QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
    return out;
}

// A device with root files, a directory d and a refreshed page.
struct RefreshedPage : PageFixture {
    int dIndex = -1;
    RefreshedPage()
    {
        sim.removeAllFiles();
        sim.putFile("x.bin", {1});
        sim.putFile("d/a.txt", {2});
        sim.putFile("d/b.txt", {3});
        window.on_buttRefresh_clicked();
        dIndex = ui->DirSelectBox->findText("d");
    }
};

}  // namespace

class FileSystemPageTest : public QObject {
    Q_OBJECT
private slots:
    void refreshShowsDirectoryZeroAndTheBoxSwitchesLocally()
    {
        RefreshedPage f;
        QCOMPARE(f.log(), (QStringList{"Getting the files structure...", "Structure is ready"}));
        QVERIFY(f.dIndex > 0);
        QCOMPARE(f.ui->DirSelectBox->currentIndex(), 0);
        QCOMPARE(rows(f.ui->listOfFiles), QStringList{"x.bin"});
        QCOMPARE(f.window.dirFiles[f.dIndex], (QStringList{"a.txt", "b.txt"}));
        QCOMPARE(int(f.window.diskInfo[4]), f.ui->DirSelectBox->count());

        f.sim.clearReceived();
        f.ui->DirSelectBox->setCurrentIndex(f.dIndex);
        QCOMPARE(rows(f.ui->listOfFiles), (QStringList{"a.txt", "b.txt"}));
        f.ui->DirSelectBox->setCurrentIndex(0);
        QCOMPARE(rows(f.ui->listOfFiles), QStringList{"x.bin"});
        QVERIFY(f.sim.received().empty());

        // A record claiming more directories than the page keeps lists: indexes past the
        // eighth are ignored rather than read beyond the lists.
        f.window.diskInfo[4] = 12;
        f.window.on_DirSelectBox_currentIndexChanged(9);
        f.window.on_DirSelectBox_currentIndexChanged(-1);
        QCOMPARE(rows(f.ui->listOfFiles), QStringList{"x.bin"});
    }

    void failingRequestsDuringRefresh()
    {
        RefreshedPage f;
        f.ui->DirSelectBox->setCurrentIndex(f.dIndex);
        const QStringList boxBefore = items(f.ui->DirSelectBox);
        f.sim.putFile("e/new.txt", {4});
        f.clearLog();

        // No disk information: nothing on the page changes but the log.
        f.sim.updateOptions([](orvane::sim::SimOptions& o) { o.noReplyOnNth = {{orvane::cmd::GetDiskInfo, 1}}; });
        f.window.on_buttRefresh_clicked();
        QCOMPARE(f.log(), (QStringList{"Getting the files structure...",
                                        "Error occured while getting the disk info"}));
        QCOMPARE(items(f.ui->DirSelectBox), boxBefore);
        QCOMPARE(f.ui->DirSelectBox->currentIndex(), f.dIndex);
        QCOMPARE(rows(f.ui->listOfFiles), (QStringList{"a.txt", "b.txt"}));

        // A descriptor fails in the second directory: the box holds the directories up to it,
        // the list stays empty, and the structure is not declared ready.
        f.clearLog();
        f.sim.updateOptions([](orvane::sim::SimOptions& o) { o.noReplyOnNth = {{orvane::cmd::GetFileDesc, 3}}; });
        f.window.on_buttRefresh_clicked();
        QCOMPARE(f.log().last(), QStringLiteral("Error occured while getting the file descriptor"));
        QVERIFY(!f.log().contains("Structure is ready"));
        QCOMPARE(f.ui->DirSelectBox->count(), 2);
        QCOMPARE(f.ui->listOfFiles->count(), 0);
        f.ui->DirSelectBox->setCurrentIndex(0);
        f.ui->DirSelectBox->setCurrentIndex(1);
        f.ui->DirSelectBox->setCurrentIndex(0);
        QCOMPARE(rows(f.ui->listOfFiles), QStringList{"x.bin"});
    }

    void deleteSelectedFile()
    {
        RefreshedPage f;
        f.ui->DirSelectBox->setCurrentIndex(f.dIndex);
        f.clearLog();
        f.ui->listOfFiles->item(1)->setSelected(true);
        f.ui->ButDelete->click();
        QCOMPARE(f.log(), (QStringList{"Wait for clearing...", "Selected files were deleted successfully"}));
        const auto deletes = f.sim.received(orvane::cmd::DeleteESP);
        QCOMPARE(deletes.size(), size_t(1));
        QCOMPARE(std::string(reinterpret_cast<const char*>(deletes[0].payload.data())), std::string("d/b.txt"));
        QVERIFY(!f.sim.files().count("d/b.txt"));
        QVERIFY(f.sim.files().count("d/a.txt"));
        QCOMPARE(rows(f.ui->listOfFiles), (QStringList{"a.txt", "b.txt"}));  // until the next refresh

        f.ui->listOfFiles->clearSelection();
        f.clearLog();
        f.sim.clearReceived();
        f.ui->ButDelete->click();
        QCOMPARE(f.log(), QStringList{"No file selected"});
        QVERIFY(f.sim.received().empty());
    }

    void formatAsksNothingAndKeepsTheList()
    {
        RefreshedPage f;
        const int directories = f.ui->DirSelectBox->count();
        f.clearLog();
        f.ui->ButFormat->click();
        QCOMPARE(f.log(), QStringList{"Flash memory has been formatted successfully"});
        QCOMPARE(f.sim.received(orvane::cmd::Format).size(), size_t(1));
        QVERIFY(f.sim.files().empty());
        QCOMPARE(rows(f.ui->listOfFiles), QStringList{"x.bin"});
        QCOMPARE(f.ui->DirSelectBox->count(), directories);
    }
};

QTEST_MAIN(FileSystemPageTest)
#include "tst_netpage_filesystem.moc"
