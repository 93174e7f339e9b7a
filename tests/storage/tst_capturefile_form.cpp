#include "CaptureFile.h"
#include "FakePort.h"
#include "Form1.h"
#include "FormHarness.h"
#include "QtDialogs.h"
#include "TestFiles.h"
#include "TraceArea.h"

#include <QApplication>
#include <QFileDialog>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

#include <functional>

namespace tarvik {

namespace {

QList<int> barOf(const FormHarness& h) {
    const auto* bar = h.control<QProgressBar>("PB1");
    return {bar->minimum(), bar->maximum(), bar->value()};
}

// Answers the next modal file dialog with `answer` once it is open.
void whenFileDialogOpens(std::function<void(QFileDialog&)> answer) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            answer(*dialog);
        }
    });
    poll->start();
}

} // namespace

class CaptureFileFormTest : public QObject {
    Q_OBJECT

  private slots:
    void loadShowsTheCaptureOnePageBeforeAndSaveLeavesIt_data() {
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<int>("pagesForward");
        QTest::addColumn<float>("viewStart");
        // At zoom 1/8 a page is 640 samples: page three starts at 1281.
        QTest::newRow("loaded on page three") << true << 2 << 641.0F;
        QTest::newRow("loaded on the first page") << true << 0 << 1.0F;
        QTest::newRow("cancelled on page three") << false << 2 << 1281.0F;
    }

    void loadShowsTheCaptureOnePageBeforeAndSaveLeavesIt() {
        QFETCH(bool, loaded);
        QFETCH(int, pagesForward);
        QFETCH(float, viewStart);
        FormHarness h;
        h.click("btOut");
        for (int page = 0; page < pagesForward; ++page)
            h.click("btRight");
        const QString name = h.dir.filePath(QStringLiteral("capture.lgc"));
        QVERIFY(writeFile(name, countingBytes(qint64(CaptureFileSize))));
        auto* trace = h.control<TraceArea>("Picture1");
        const QImage picture = trace->picture().copy();
        const QList<int> bar = barOf(h);
        if (loaded)
            h.dialogs.fileAnswers.push_back(name);

        h.click("btLoad");

        QCOMPARE(h.state->viewStart, viewStart);
        QCOMPARE(h.state->zoomFactor, 0.125F);
        QCOMPARE(h.state->dataSamples[1], std::uint8_t(loaded ? 1 : 255));
        const QImage shown = trace->picture().copy();
        if (!loaded) {
            QCOMPARE(shown, picture);
            QCOMPARE(barOf(h), bar);
            return;
        }
        QCOMPARE(barOf(h).at(2), int(viewStart));
        // The load drew the new capture where the view now stands.
        h.click("btRight");
        h.click("btLeft");
        QCOMPARE(trace->picture(), shown);

        // A save leaves the picture and the view, with the bar at its end.
        h.dialogs.fileAnswers.push_back(h.dir.filePath(QStringLiteral("saved.lgc")));
        h.click("btSave");
        QCOMPARE(trace->picture(), shown);
        QCOMPARE(barOf(h), (QList<int>{1, SampleCount, SampleCount}));
        QCOMPARE(h.state->viewStart, viewStart);
        QVERIFY(h.dialogs.messages.isEmpty());
    }

    void realDialogsShowTheFileTypesAndStartFromTheLastName() {
        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()));
        auto state = std::make_unique<ProgramState>();
        QtDialogs dialogs;
        FakePort win95io;
        FakePort inpout32;
        Form1 form(*state, dialogs, win95io, inpout32);
        dialogs.setParent(&form);
        const QString name = dir.filePath(QStringLiteral("capture.lgc"));
        QVERIFY(writeFile(name, countingBytes(qint64(CaptureFileSize))));

        // Each dialog's types, then the preselected type, then (save) the name it starts from.
        QStringList load;
        whenFileDialogOpens([&](QFileDialog& dialog) {
            load = dialog.nameFilters() << dialog.selectedNameFilter();
            dialog.selectFile(name);
            static_cast<QDialog&>(dialog).accept();
        });
        QTest::mouseClick(form.findChild<QWidget*>("btLoad"), Qt::LeftButton);
        QStringList save;
        whenFileDialogOpens([&](QFileDialog& dialog) {
            save = dialog.nameFilters() << dialog.selectedNameFilter() << dialog.selectedFiles();
            dialog.reject();
        });
        QTest::mouseClick(form.findChild<QWidget*>("btSave"), Qt::LeftButton);

        QCOMPARE(load, (QStringList{"Analyzer Files(*.lgc)", "Binary Files(*.bin)",
                                    "All Files (*.*)", "Analyzer Files(*.lgc)"}));
        QCOMPARE(state->dataSamples[1], std::uint8_t{1});
        QCOMPARE(save, (QStringList{"Analizer Files(*.lgc)", "All Files (*.*)",
                                    "Analizer Files(*.lgc)", name}));
    }
};

} // namespace tarvik

QTEST_MAIN(tarvik::CaptureFileFormTest)
#include "tst_capturefile_form.moc"
