// SPDX-License-Identifier: GPL-3.0-or-later
// errno as the codes the user sees, the texts of the codes and of the capacity refusal, full paths,
// and the sharing rules of the file opens.
#include "text/errors.h"
#include "text/file_handle.h"
#include "text/system_errors.h"

#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteAll(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

// Another program's open of path holding an open-file-description lock of the given type.
FileHandle HoldLock(const std::string& path, short type) {
    FileHandle file(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    if (!file.isOpen() || fcntl(file.fd(), F_OFD_SETLK, &lock) != 0)
        return FileHandle();
    return file;
}

bool IsOpenDescriptor(int fd) {
    return fcntl(fd, F_GETFD) != -1;
}

} // namespace

class TestSystemErrors : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    std::string path(const char* name) const { return FDir.filePath(name).toStdString(); }

private slots:
    void initTestCase() { QVERIFY(FDir.isValid()); }

    void platformCodes_data() {
        QTest::addColumn<int>("err");
        QTest::addColumn<int>("code");
        QTest::newRow("ENOTDIR") << ENOTDIR << 3;
        QTest::newRow("EACCES") << EACCES << 5;
        QTest::newRow("EPERM") << EPERM << 5;
        QTest::newRow("EISDIR") << EISDIR << 5;
        QTest::newRow("EMFILE") << EMFILE << 4;
        QTest::newRow("ENFILE") << ENFILE << 4;
        QTest::newRow("ENOSPC") << ENOSPC << 112;
        QTest::newRow("EROFS") << EROFS << 19;
        QTest::newRow("ENAMETOOLONG") << ENAMETOOLONG << 206;
        QTest::newRow("lock conflict") << EAGAIN << kSharingViolation;
        QTest::newRow("EINTR is not 4") << EINTR << 995;
        QTest::newRow("EIO is not 5") << EIO << 31;
        QTest::newRow("ENXIO") << ENXIO << 21;
        QTest::newRow("ENODEV is not 19") << ENODEV << 21;
        QTest::newRow("EPIPE is not 32") << EPIPE << 109;
        QTest::newRow("ETXTBSY") << ETXTBSY << kSharingViolation;
        QTest::newRow("ELOOP") << ELOOP << 1921;
        QTest::newRow("EDQUOT") << EDQUOT << 1295;
        QTest::newRow("EFBIG") << EFBIG << 223;
    }
    void platformCodes() {
        QFETCH(int, err);
        QFETCH(int, code);
        QCOMPARE(PlatformErrorCode(err, path("f.txt")), code);
    }
    // Passed through, these would read as codes 100, 101 and 104 ("Lecture au-delà de la fin de
    // fichier", "Disque plein", a reader not open).
    void errnoValuesWithoutAnEntryNeverReadAsAnotherFailure() {
        std::set<int> taken;
        for (int err = 1; err < 134; ++err)
            taken.insert(PlatformErrorCode(err, path("f.txt")));
        std::set<int> given;
        for (const int err : {EXDEV, ESPIPE, EMLINK, ENOTEMPTY, EPROTO, EDOM, ERANGE}) {
            const int code = PlatformErrorCode(err, path("f.txt"));
            QVERIFY2(code > 10000 && given.insert(code).second, std::to_string(err).c_str());
            for (const int reserved : {100, 101, 103, 104, 106})
                QVERIFY(code != reserved);
            QCOMPARE(EInOutError(code).message(), "Erreur E/S " + std::to_string(code));
        }
    }

    // The texts of the codes as the user reads them.
    void messagesByCode_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("2") << 2 << "Fichier introuvable";
        QTest::newRow("3") << 3 << "Nom de fichier incorrect";
        QTest::newRow("4") << 4 << "Trop de fichiers ouverts";
        QTest::newRow("5") << 5 << "Accès au fichier refusé";
        QTest::newRow("100") << 100 << "Lecture au-delà de la fin de fichier";
        QTest::newRow("101") << 101 << "Disque plein";
        QTest::newRow("106") << 106 << "Saisie numérique incorrecte";
        QTest::newRow("other") << 32 << "Erreur E/S 32";
    }
    void messagesByCode() {
        QFETCH(int, code);
        QFETCH(QString, message);
        QCOMPARE(QString::fromStdString(EInOutError(code).message()), message);
    }

    // The text view's refusal as the user reads it; the text model's test compares what it raises
    // with this constant.
    void theCapacityRefusal() {
        QCOMPARE(std::string(kMemoCapacityMessage),
                 std::string("Le texte dépasse la capacité du mémo"));
    }

    void missingFileIs2AndMissingFolderIs3() {
        QCOMPARE(PlatformErrorCode(ENOENT, path("absent.txt")), 2);
        QCOMPARE(PlatformErrorCode(ENOENT, path("absent/f.txt")), 3);
        QCOMPARE(PlatformErrorCode(ENOENT, "absent-here.txt"), 2); // relative: the current folder
    }

    // Every errno has a reason in the file messages, without the trailing full stop or blank
    // that the error report would double.
    void everyErrnoHasASystemText() {
        for (int err = 1; err < 134; ++err) {
            const std::string text = SystemErrorText(PlatformErrorCode(err, path("f.txt")));
            QVERIFY2(!text.empty(), std::to_string(err).c_str());
            QVERIFY(static_cast<unsigned char>(text.back()) > 32 && text.back() != '.');
        }
        QCOMPARE(SystemErrorText(9999), std::string());
    }
    void systemTextsByErrno_data() {
        QTest::addColumn<int>("err");
        QTest::addColumn<QString>("text");
        QTest::newRow("ELOOP") << ELOOP
                               << "Le nom du fichier ne peut pas être résolu par le système : trop "
                                  "de liens symboliques";
        QTest::newRow("ENAMETOOLONG")
            << ENAMETOOLONG << "Le nom de fichier ou l'extension est trop long";
        QTest::newRow("EISDIR") << EISDIR << "Accès refusé";
        QTest::newRow("EPERM") << EPERM << "Accès refusé";
        QTest::newRow("ENOSPC") << ENOSPC << "Espace insuffisant sur le disque";
        QTest::newRow("EDQUOT") << EDQUOT << "Le quota de disque est dépassé";
        QTest::newRow("EROFS") << EROFS << "Le support est protégé en écriture";
        QTest::newRow("EFBIG") << EFBIG << "La taille du fichier dépasse la limite autorisée";
        QTest::newRow("ETXTBSY") << ETXTBSY
                                 << "Le processus ne peut pas accéder au fichier car ce fichier "
                                    "est utilisé par un autre processus";
        QTest::newRow("EIO") << EIO
                             << "Un périphérique attaché au système ne fonctionne pas "
                                "correctement";
        QTest::newRow("ENXIO") << ENXIO << "Le périphérique n'est pas prêt";
        QTest::newRow("unmapped") << EXDEV << "Erreur inattendue du système (code 18)";
    }
    void systemTextsByErrno() {
        QFETCH(int, err);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(SystemErrorText(PlatformErrorCode(err, path("f.txt")))),
                 text);
    }

    void fullPaths() {
        const std::string cwd = std::filesystem::current_path().string();
        QCOMPARE(FullPath("f.txt"), cwd + "/f.txt");
        QCOMPARE(FullPath("a/../b/./f.txt"), cwd + "/b/f.txt");
        QCOMPARE(FullPath("/tmp/x/../f.txt"), std::string("/tmp/f.txt"));
        QCOMPARE(FullPath(""), std::string());
    }

    void openForReadingFailures() {
        QCOMPARE(OpenForReading(path("absent.txt")).code, 2);
        QCOMPARE(OpenForReading(path("absent/f.txt")).code, 3);
        const OpenResult folder = OpenForReading(FDir.path().toStdString());
        QCOMPARE(folder.code, 5);
        QVERIFY(!folder.file.isOpen());
    }
    void openForReadingDoesNotWaitForAWriterOfAFifo() {
        QCOMPARE(mkfifo(path("fifo").c_str(), 0600), 0);
        const OpenResult reader = OpenForReading(path("fifo"));
        QCOMPARE(reader.code, 0);
        char byte = 0;
        QCOMPARE(::read(reader.file.fd(), &byte, 1), ssize_t(0));
    }
    void openForReadingIsSharedWithReaders() {
        WriteAll(path("shared.txt"), "abc");
        const OpenResult first = OpenForReading(path("shared.txt"));
        const OpenResult second = OpenForReading(path("shared.txt"));
        QCOMPARE(first.code, 0);
        QCOMPARE(second.code, 0);
        char buffer[4] = {};
        QCOMPARE(::read(second.file.fd(), buffer, sizeof buffer), ssize_t(3));
        QCOMPARE(std::string(buffer), std::string("abc"));
    }
    void openForReadingRefusesAFileHeldForWriting() {
        WriteAll(path("written.txt"), "abc");
        const FileHandle writer = HoldLock(path("written.txt"), F_WRLCK);
        QVERIFY(writer.isOpen());
        const OpenResult reader = OpenForReading(path("written.txt"));
        QCOMPARE(reader.code, kSharingViolation);
        QVERIFY(!reader.file.isOpen());
    }

    // The file a save replaces is opened unchanged and kept from other programs; a file in use, a
    // folder and what is not a regular file are refused at once.
    void openForReplacing() {
        WriteAll(path("out.txt"), "old content");
        const OpenResult opened = OpenForReplacing(path("out.txt"));
        QCOMPARE(opened.code, 0);
        QVERIFY(opened.file.isOpen());
        QCOMPARE(ReadAll(path("out.txt")), std::string("old content"));
        QCOMPARE(OpenForReading(path("out.txt")).code, kSharingViolation);

        const OpenResult absent = OpenForReplacing(path("new.txt"));
        QCOMPARE(absent.code, 0);
        QVERIFY(!absent.file.isOpen());
        QCOMPARE(OpenForReplacing(FDir.path().toStdString()).code, 5);
        QCOMPARE(mkfifo(path("canal").c_str(), 0600), 0);
        QCOMPARE(OpenForReplacing(path("canal")).code, kNotRegularFile);
        QCOMPARE(OpenForReplacing("/dev/full").code, kNotRegularFile);

        const OpenResult created = CreateForReplacing(path("new.txt"));
        QCOMPARE(created.code, 0);
        QCOMPARE(ReadAll(path("new.txt")), std::string());
        QCOMPARE(OpenForReading(path("new.txt")).code, kSharingViolation);
        QCOMPARE(CreateForReplacing(path("absent/new.txt")).code, 3);
        QCOMPARE(CreateForReplacing(path("canal")).code, kNotRegularFile);
    }
    void openForReplacingLeavesAFileInUseUnchanged_data() {
        QTest::addColumn<int>("lockType");
        QTest::newRow("held for reading") << int(F_RDLCK);
        QTest::newRow("held for writing") << int(F_WRLCK);
    }
    void openForReplacingLeavesAFileInUseUnchanged() {
        QFETCH(int, lockType);
        WriteAll(path("busy.txt"), "keep me");
        const FileHandle other = HoldLock(path("busy.txt"), static_cast<short>(lockType));
        QVERIFY(other.isOpen());
        const OpenResult opened = OpenForReplacing(path("busy.txt"));
        QCOMPARE(opened.code, kSharingViolation);
        QVERIFY(!opened.file.isOpen());
    }

    void handleClosesOnceAndMoves() {
        WriteAll(path("h.txt"), "x");
        int fd = -1;
        {
            OpenResult opened = OpenForReading(path("h.txt"));
            fd = opened.file.fd();
            FileHandle moved(std::move(opened.file));
            QVERIFY(!opened.file.isOpen());
            QCOMPARE(moved.fd(), fd);
            QVERIFY(IsOpenDescriptor(fd));
        }
        QVERIFY(!IsOpenDescriptor(fd));
        FileHandle handle(::open(path("h.txt").c_str(), O_RDONLY));
        QCOMPARE(handle.close(), 0);
        QVERIFY(!handle.isOpen());
        QCOMPARE(handle.close(), 0);
    }
    void moveAssignmentClosesTheFormerFile() {
        WriteAll(path("m.txt"), "x");
        FileHandle target(::open(path("m.txt").c_str(), O_RDONLY));
        const int former = target.fd();
        target = FileHandle(::open(path("m.txt").c_str(), O_RDONLY));
        QVERIFY(target.fd() != former);
        QVERIFY(!IsOpenDescriptor(former));
    }
};

QTEST_APPLESS_MAIN(TestSystemErrors)
#include "test_system_errors.moc"
