// The printer port's base as the launcher and the upper SCAN's library read it
// from the kernel's base-addr file, which the kernel writes as two decimal
// numbers: "888\t1912\n" for a port at 0x378.

#include "PortBase.h"

#include <QTemporaryDir>
#include <QTest>

namespace tarvik {

class PortBaseTest : public QObject {
    Q_OBJECT

  private slots:
    void readsTheFirstNumberOrNothing_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<unsigned>("base");
        QTest::newRow("standard port") << QByteArray("888\t1912\n") << 0x378U;
        QTest::newRow("second standard port") << QByteArray("632\t1656\n") << 0x278U;
        QTest::newRow("PCIe card") << QByteArray("53264\t53256\n") << 0xD010U;
        QTest::newRow("no upper registers") << QByteArray("956\t0\n") << 0x3BCU;
        QTest::newRow("cut after the number") << QByteArray("888") << 0x378U;
        QTest::newRow("last whole port") << QByteArray("65533\t0\n") << 0xFFFDU;
        QTest::newRow("registers past the I/O space") << QByteArray("65534\t0\n") << 0U;
        QTest::newRow("port behind USB") << QByteArray("0\t0\n") << 0U;
        QTest::newRow("overlong number") << QByteArray("88888888888888888888888\t0\n") << 0U;
        QTest::newRow("hexadecimal") << QByteArray("0x378\t0x778\n") << 0U;
        QTest::newRow("negative") << QByteArray("-888\t0\n") << 0U;
        QTest::newRow("leading space") << QByteArray(" 888\t0\n") << 0U;
        QTest::newRow("trailing letters") << QByteArray("888abc\n") << 0U;
        QTest::newRow("first number missing") << QByteArray("\t1912\n") << 0U;
        QTest::newRow("empty") << QByteArray() << 0U;
    }
    void readsTheFirstNumberOrNothing() {
        QFETCH(QByteArray, text);
        QFETCH(unsigned, base);
        QCOMPARE(tarvikParsePortBase(text.constData(), std::size_t(text.size())), base);
    }

    // Only the start of a long file is read, and a missing file is no base.
    void readsOnlyTheStartOfTheFile() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("base-addr"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("632\t1656\n" + QByteArray(100000, '7'));
        file.close();
        QCOMPARE(tarvikReadPortBase(QFile::encodeName(path).constData()), 0x278U);
        QCOMPARE(tarvikReadPortBase(QFile::encodeName(path + 'x').constData()), 0U);
    }
};

} // namespace tarvik

QTEST_MAIN(tarvik::PortBaseTest)
#include "tst_port_base.moc"
