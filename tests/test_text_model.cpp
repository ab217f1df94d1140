// SPDX-License-Identifier: GPL-3.0-or-later
// The text-view model: line-break conversion on load, line counts and access, appending, saving,
// failures (with the text left as it was), the capacity, and offsets where CR LF counts two.
#include "file_size_limit.h"
#include "other_user.h"
#include "text/errors.h"
#include "text/file_handle.h"
#include "text/file_replace.h"
#include "text/system_errors.h"
#include "text/text_loader.h"
#include "text/text_model.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

std::string Bytes(const char* data, std::size_t size) {
    return std::string(data, size);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

// A file's text by the rules written plainly (every CR LF, lone CR and lone LF made a CR LF) and
// where each of its rows starts.
struct PlainText {
    std::string text;
    std::vector<std::int64_t> starts{0};
};

PlainText PlainConversion(const std::string& file) {
    PlainText plain;
    for (std::size_t i = 0; i < file.size(); ++i) {
        const bool pair = file[i] == '\r' && i + 1 < file.size() && file[i + 1] == '\n';
        if (file[i] == '\r' || file[i] == '\n') {
            plain.text += "\r\n";
            plain.starts.push_back(std::int64_t(plain.text.size()));
            i += pair;
        } else {
            plain.text += file[i];
        }
    }
    return plain;
}

// What a save is to write over.
enum SaveTarget { kExisting, kNew, kDanglingLink };

// What happens to a file while it is read.
enum Change { kShorten, kGrow, kReplace, kDelete };

// Shortens the file to half of what was read, appends to it, puts another file in its place or
// deletes it; true when that succeeded.
bool ChangeFile(const std::string& file, Change change, std::size_t read) {
    switch (change) {
    case kShorten:
        return ::truncate(file.c_str(), off_t(read / 2)) == 0;
    case kGrow:
        return bool(std::ofstream(file, std::ios::binary | std::ios::app) << "\nplus");
    case kReplace:
        WriteFile(file + ".new", "autre");
        return ::rename((file + ".new").c_str(), file.c_str()) == 0;
    case kDelete:
        return ::unlink(file.c_str()) == 0;
    }
    return false;
}

// Runs f, which must raise E; returns its message.
template <typename E, typename F> std::string MessageOf(F f) {
    try {
        f();
    } catch (const E& e) {
        return e.message();
    }
    return "(rien levé)";
}

std::string OpenMessage(const std::string& path, int code) {
    return EFOpenError(FullPath(path), SystemErrorText(code)).message();
}

} // namespace

Q_DECLARE_METATYPE(std::string)

class TestTextModel : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    std::string path(const char* name) const { return FDir.filePath(name).toStdString(); }

    // A model loaded from a file holding bytes. A lowered capacity is that of a text kept in
    // memory, which a file's text then is.
    TextModel loaded(const std::string& bytes,
                     std::int64_t capacity = TextModel::kDefaultCapacity) {
        WriteFile(path("load.txt"), bytes);
        TextModel model(capacity);
        TextLimits limits = model.limits();
        limits.paged = capacity == TextModel::kDefaultCapacity;
        model.setLimits(limits);
        model.loadFromFile(path("load.txt"));
        return model;
    }

private slots:
    void loadConvertsBreaks_data() {
        QTest::addColumn<std::string>("file");
        QTest::addColumn<std::string>("text");
        QTest::addColumn<int>("lines");
        QTest::newRow("empty") << std::string() << std::string() << 0;
        QTest::newRow("only CR LF") << std::string("\r\n") << std::string("\r\n") << 1;
        QTest::newRow("two lines, final break")
            << std::string("a\r\nb\r\n") << std::string("a\r\nb\r\n") << 2;
        QTest::newRow("two lines, no final break")
            << std::string("a\r\nb") << std::string("a\r\nb") << 2;
        QTest::newRow("lone CR") << std::string("a\rb") << std::string("a\r\nb") << 2;
        QTest::newRow("lone LF") << std::string("a\nb\n") << std::string("a\r\nb\r\n") << 2;
        QTest::newRow("LF CR") << std::string("a\n\rb") << std::string("a\r\n\r\nb") << 3;
        QTest::newRow("CR at the end") << std::string("x\r") << std::string("x\r\n") << 1;
        QTest::newRow("mixed run") << std::string("\r\r\n\n") << std::string("\r\n\r\n\r\n") << 3;
        QTest::newRow("NUL cuts") << Bytes("ab\0cd", 5) << std::string("ab") << 1;
        QTest::newRow("NUL first") << Bytes("\0ab", 3) << std::string() << 0;
        QTest::newRow("CR before NUL") << Bytes("ab\r\0c", 5) << std::string("ab\r\n") << 1;
        QTest::newRow("end-of-file mark kept") << std::string("ab\x1A"
                                                              "cd\r\nef")
                                               << std::string("ab\x1A"
                                                              "cd\r\nef")
                                               << 2;
        std::string mixedFile, mixedText; // long enough for the word-at-a-time scans
        for (int i = 0; i < 40; ++i) {
            const std::string word(size_t(i % 11), char('a' + i % 26));
            const char* breaks[] = {"\n", "\r", "\r\n", "\n\r"};
            const char* converted[] = {"\r\n", "\r\n", "\r\n", "\r\n\r\n"};
            mixedFile += word + breaks[i % 4];
            mixedText += word + converted[i % 4];
        }
        QTest::newRow("long mixed text") << mixedFile << mixedText << 50;
        std::string binary;
        for (int b = 1; b < 256; ++b)
            binary += char(b);
        std::string shown = binary;
        shown.replace(9, 1, "\r\n");  // the lone LF after byte 9
        shown.replace(13, 1, "\r\n"); // the lone CR, now at 13
        QTest::newRow("bytes 1 to 255, then NUL") << binary + '\0' << shown << 3;
        QTest::newRow("byte 0 first of all 256") << Bytes("\0", 1) + binary << std::string() << 0;
    }
    void loadConvertsBreaks() {
        QFETCH(std::string, file);
        QFETCH(std::string, text);
        QFETCH(int, lines);
        const TextModel model = loaded(file);
        QCOMPARE(std::string(model.text()), text);
        QCOMPARE(model.lineCount(), lines);
    }

    void lineAccess() {
        const TextModel model = loaded("un\r\ndeux\r\n" + std::string(5000, 'x') + "\r\n");
        QCOMPARE(model.lineCount(), 3);
        QCOMPARE(model.rowCount(), 4); // the empty row after the final break holds no line
        QCOMPARE(model.line(0), std::string("un"));
        QCOMPARE(model.line(1), std::string("deux"));
        QCOMPARE(model.line(2), std::string(4096, 'x'));
        QCOMPARE(model.line(3), std::string());
        QCOMPARE(model.line(-1), std::string());
        QCOMPARE(model.longestRow(), 5000);
    }

    void appendFollowsTheBreakRules() {
        TextModel model;
        for (const char* s : {"L1", "L2", "L3"})
            model.appendLine(s);
        QCOMPARE(std::string(model.text()), std::string("L1\r\nL2\r\nL3\r\n"));
        QCOMPARE(model.lineCount(), 3);
        QCOMPARE(model.caret(), 12);
        QCOMPARE(model.longestRow(), 2);
        model.saveToFile(path("saved.txt"));
        QCOMPARE(ReadFile(path("saved.txt")), std::string("L1\r\nL2\r\nL3\r\n"));

        TextModel open = loaded("abc");
        open.setSelection(0, 1);
        open.appendLine(Bytes("X\0ignored", 9));
        QCOMPARE(std::string(open.text()), std::string("abc\r\nX"));
        open.appendLine("Y\r\nZ"); // a CR LF inside the line breaks a row like any other
        QCOMPARE(std::string(open.text()), std::string("abc\r\nX\r\nY\r\nZ"));
        QCOMPARE(open.lineCount(), 4);
        QCOMPARE(open.line(3), std::string("Z"));
        QCOMPARE(open.selLength(), 0);
        QCOMPARE(open.caret(), open.size());

        TextModel empty;
        empty.appendLine("");
        QCOMPARE(std::string(empty.text()), std::string("\r\n"));
        QCOMPARE(empty.lineCount(), 1);
        empty.clear();
        QCOMPARE(empty.lineCount(), 0);
        QCOMPARE(empty.rowCount(), 1);
    }

    void appendingManyLinesAtOnceIsAppendingThemOneByOne() {
        for (const std::string& start : {std::string(), std::string("a\r\n"), std::string("abc")}) {
            TextModel one = loaded(start);
            TextModel many = loaded(start);
            for (const char* s : {">1,1:mot", ">1,5:", ">2,1:mot"})
                one.appendLine(s);
            many.appendLines(">1,1:mot\r\n>1,5:\r\n>2,1:mot\r\n");
            many.appendLines("");
            QCOMPARE(std::string(many.text()), one.text());
            QCOMPARE(many.lineCount(), one.lineCount());
            QCOMPARE(many.rowCount(), one.rowCount());
            QCOMPARE(many.rowOffset(2), one.rowOffset(2));
            QCOMPARE(many.caret(), one.caret());
            QCOMPARE(many.longestRow(), one.longestRow());
        }
    }

    // Lines indexed apart, as a run does as it writes them, and then taken: the same model as
    // appending them, whether the text was empty (it takes them) or not (it appends them).
    void takingIndexedLinesIsAppendingThem() {
        std::string lines;
        for (int i = 1; i <= 200; ++i)
            lines +=
                ">" + std::to_string(i) + ",1:" + std::string(std::size_t(i % 7), 'm') + "\r\n";
        for (const std::string& start : {std::string(), std::string("a\r\n"), std::string("abc")}) {
            TextModel appended = loaded(start);
            TextModel taken = loaded(start);
            appended.appendLines(lines);
            IndexedLines indexed;
            indexed.text.append(lines);
            indexed.rows.extend(lines, 0);
            taken.appendLines(std::move(indexed));
            QCOMPARE(std::string(taken.text()), std::string(appended.text()));
            QCOMPARE(taken.lineCount(), appended.lineCount());
            QCOMPARE(taken.rowCount(), appended.rowCount());
            for (const int row : {0, 1, 63, 64, 65, 150, 199, 200, 201})
                QCOMPARE(taken.rowOffset(row), appended.rowOffset(row));
            QCOMPARE(taken.line(150), appended.line(150));
            QCOMPARE(taken.rowOfOffset(1000), appended.rowOfOffset(1000));
            QCOMPARE(taken.caret(), appended.caret());
            QCOMPARE(taken.selStart(), appended.selStart());
            QCOMPARE(taken.longestRow(), appended.longestRow());
        }
    }

    void saving() {
        const std::string target = path("out.txt");
        WriteFile(target, std::string(100, 'z'));
        TextModel().saveToFile(target);
        QCOMPARE(ReadFile(target), std::string());

        WriteFile(target, std::string(100, 'z'));
        TextModel model;
        model.appendLine("court");
        model.saveToFile(target);
        QCOMPARE(ReadFile(target), std::string("court\r\n"));

        const std::string missing = path("absent/out.txt");
        QCOMPARE(MessageOf<EFCreateError>([&] { model.saveToFile(missing); }),
                 EFCreateError(FullPath(missing), SystemErrorText(3)).message());
    }

    // A save that the disk refuses part way (a file size limit fails the write as a full disk
    // does) leaves the file it was replacing byte for byte, and no other file beside it.
    void aFailedSaveLosesNothing() {
        QTemporaryDir dir;
        const std::string target = dir.filePath("res.txt").toStdString();
        std::string before;
        for (int i = 1; i <= 500; ++i)
            before += "ligne " + std::to_string(i) + "\r\n";
        WriteFile(target, before);
        TextModel model;
        for (int i = 0; i < 1000; ++i)
            model.appendLine(">" + std::to_string(i) + ",1:mot");
        {
            const FileSizeLimit limit(4096);
            QCOMPARE(MessageOf<EWriteError>([&] { model.saveToFile(target); }),
                     EWriteError().message());
            QCOMPARE(MessageOf<EWriteError>(
                         [&] { model.saveToFile(dir.filePath("nouveau.txt").toStdString()); }),
                     EWriteError().message());
        }
        QCOMPARE(ReadFile(target), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"res.txt"});
        model.saveToFile(target);
        QCOMPARE(ReadFile(target), std::string(model.text()));
    }

    // A link is written through, and the file keeps its permissions; a dangling link into a missing
    // folder, a loop of links, and what is not a regular file (a FIFO that nobody reads, a device),
    // are refused with their reason.
    void savingThroughLinksAndOntoWhatIsNoFile() {
        QTemporaryDir dir;
        const auto in = [&](const char* name) { return dir.filePath(name).toStdString(); };
        WriteFile(in("vrai.txt"), "ancien");
        QCOMPARE(::chmod(in("vrai.txt").c_str(), 0640), 0);
        QCOMPARE(::symlink("vrai.txt", in("lien.txt").c_str()), 0);
        TextModel model;
        model.appendLine("neuf");
        model.saveToFile(in("lien.txt"));
        QCOMPARE(ReadFile(in("vrai.txt")), std::string("neuf\r\n"));
        struct stat info {};
        QCOMPARE(::lstat(in("lien.txt").c_str(), &info), 0);
        QVERIFY(S_ISLNK(info.st_mode));
        QCOMPARE(::stat(in("vrai.txt").c_str(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0640));

        QCOMPARE(::symlink("absent/nouveau.txt", in("perdu.txt").c_str()), 0);
        QCOMPARE(MessageOf<EFCreateError>([&] { model.saveToFile(in("perdu.txt")); }),
                 EFCreateError(FullPath(in("perdu.txt")), SystemErrorText(3)).message());

        QCOMPARE(::symlink("boucle-b", in("boucle-a").c_str()), 0);
        QCOMPARE(::symlink("boucle-a", in("boucle-b").c_str()), 0);
        QCOMPARE(::mkfifo(in("canal").c_str(), 0600), 0);
        for (const std::string& target : {in("boucle-a"), in("canal"), std::string("/dev/full")}) {
            const int code =
                target == in("boucle-a") ? PlatformErrorCode(ELOOP, target) : kNotRegularFile;
            QCOMPARE(MessageOf<EFCreateError>([&] { model.saveToFile(target); }),
                     EFCreateError(FullPath(target), SystemErrorText(code)).message());
        }
    }

    // In a shared sticky folder another user planted a link to a file of this user and one to a
    // file that does not exist: the save refuses them as the system does, and nothing anywhere
    // changes. The same links made by the user are written through; a loop keeps its reason; with
    // the system's protection off, the planted links are followed as the system follows them.
    void linksPlantedByAnotherUser() {
        if (!IsAdministrator())
            QSKIP("needs the administrator, to play another user and set fs.protected_symlinks");
        QTemporaryDir home;
        QTemporaryDir shared;
        QVERIFY(MakeShared(shared.path().toStdString()));
        const auto inHome = [&](const char* name) { return home.filePath(name).toStdString(); };
        const auto inShared = [&](const char* name) { return shared.filePath(name).toStdString(); };
        const auto names = [](const QTemporaryDir& dir) {
            return QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        };
        const std::string important = inHome("important.txt");
        const std::string before = "à garder\r\n";
        WriteFile(important, before);
        QCOMPARE(::chmod(important.c_str(), 0640), 0);
        QVERIFY(PlantLink(important, inShared("resultats.txt")));
        QVERIFY(PlantLink(inHome("absent.txt"), inShared("pendant.txt")));
        TextModel model;
        model.appendLine(">1,1:mot");
        const auto message = [&](const std::string& target, int code) {
            return EFCreateError(FullPath(target), SystemErrorText(code)).message();
        };
        {
            const ProtectedSymlinks protection(1);
            if (!protection.set())
                QSKIP("fs.protected_symlinks cannot be changed here");
            for (const std::string& planted : {inShared("resultats.txt"), inShared("pendant.txt")})
                QCOMPARE(MessageOf<EFCreateError>([&] { model.saveToFile(planted); }),
                         message(planted, 5));
            QCOMPARE(ReadFile(important), before);
            QCOMPARE(names(home), QStringList{"important.txt"});
            QCOMPARE(names(shared), (QStringList{"pendant.txt", "resultats.txt"}));

            QCOMPARE(::chown(important.c_str(), kOtherUser + 1, kOtherUser + 1), 0);
            QCOMPARE(::symlink(important.c_str(), inShared("mien.txt").c_str()), 0);
            QCOMPARE(::symlink(inHome("nouveau.txt").c_str(), inShared("mien-pendant.txt").c_str()),
                     0);
            model.saveToFile(inShared("mien.txt"));
            model.saveToFile(inShared("mien-pendant.txt"));
            QCOMPARE(ReadFile(important), model.text());
            QCOMPARE(ReadFile(inHome("nouveau.txt")), model.text());
            struct stat info {};
            QCOMPARE(::stat(important.c_str(), &info), 0);
            QCOMPARE(info.st_mode & 07777, mode_t(0640));
            QCOMPARE(info.st_uid, kOtherUser + 1);

            QCOMPARE(::symlink("boucle-b", inShared("boucle-a").c_str()), 0);
            QCOMPARE(::symlink("boucle-a", inShared("boucle-b").c_str()), 0);
            QCOMPARE(MessageOf<EFCreateError>([&] { model.saveToFile(inShared("boucle-a")); }),
                     message(inShared("boucle-a"), PlatformErrorCode(ELOOP, "")));
        }
        const ProtectedSymlinks noProtection(0);
        if (!noProtection.set())
            QSKIP("fs.protected_symlinks cannot be changed here");
        WriteFile(important, before);
        model.saveToFile(inShared("resultats.txt"));
        model.saveToFile(inShared("pendant.txt"));
        QCOMPARE(ReadFile(important), model.text());
        QCOMPARE(ReadFile(inHome("absent.txt")), model.text());
    }

    // Another program moves the file, or a folder on its way, while the bytes are written: the
    // save replaces nothing but the file it opened and checked, so it fails, and every file is
    // as it was, a new one not left behind. Until the replace, a new name holds nothing.
    void aFileOrFolderReplacedDuringTheSaveFailsIt_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("wholeFolder");
        QTest::newRow("existing file, its folder replaced") << int(kExisting) << true;
        QTest::newRow("existing file replaced") << int(kExisting) << false;
        QTest::newRow("new file, its folder replaced") << int(kNew) << true;
        QTest::newRow("new file made meanwhile") << int(kNew) << false;
        QTest::newRow("dangling link, its folder replaced") << int(kDanglingLink) << true;
        QTest::newRow("dangling link replaced") << int(kDanglingLink) << false;
    }
    void aFileOrFolderReplacedDuringTheSaveFailsIt() {
        QFETCH(int, kind);
        QFETCH(bool, wholeFolder);
        const auto names = [](const std::string& folder) {
            return QDir(QString::fromStdString(folder))
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        };
        QTemporaryDir dir;
        const std::string sub = dir.filePath("sous").toStdString();
        const std::string moved = dir.filePath("ancien").toStdString();
        QCOMPARE(::mkdir(sub.c_str(), 0755), 0);
        const std::string target = sub + "/res.txt";
        if (kind == kExisting)
            WriteFile(target, "avant");
        if (kind == kDanglingLink)
            QCOMPARE(::symlink("cible.txt", target.c_str()), 0);
        const auto change = [&] {
            struct stat info {};
            if (kind == kNew)
                QCOMPARE(::lstat(target.c_str(), &info), -1);
            if (wholeFolder) {
                QCOMPARE(::rename(sub.c_str(), moved.c_str()), 0);
                QCOMPARE(::mkdir(sub.c_str(), 0755), 0);
            }
            WriteFile(sub + "/autre", "autre");
            QCOMPARE(::rename((sub + "/autre").c_str(), target.c_str()), 0);
        };
        QCOMPARE(MessageOf<EFCreateError>([&] { ReplaceFileContent(target, "neuf", change); }),
                 EFCreateError(FullPath(target), SystemErrorText(kSharingViolation)).message());
        QCOMPARE(ReadFile(target), std::string("autre"));
        QCOMPARE(names(sub), QStringList{"res.txt"});
        if (wholeFolder)
            QCOMPARE(names(moved), kind == kNew ? QStringList() : QStringList{"res.txt"});
        if (wholeFolder && kind == kExisting)
            QCOMPARE(ReadFile(moved + "/res.txt"), std::string("avant"));
    }

    void savingOverAFileInUseChangesNothing() {
        const std::string target = path("busy.txt");
        WriteFile(target, "garde");
        const int other = ::open(target.c_str(), O_RDONLY);
        struct flock lock {};
        lock.l_type = F_RDLCK;
        QVERIFY(fcntl(other, F_OFD_SETLK, &lock) == 0);
        TextModel model;
        model.appendLine("neuf");
        QCOMPARE(MessageOf<EFCreateError>([&] { model.saveToFile(target); }),
                 EFCreateError(FullPath(target), SystemErrorText(kSharingViolation)).message());
        ::close(other);
        QCOMPARE(ReadFile(target), std::string("garde"));
    }

    void failedLoadsKeepTheText() {
        TextModel model = loaded("avant");
        const std::string missing = path("absent.txt");
        QCOMPARE(MessageOf<EFOpenError>([&] { model.loadFromFile(missing); }),
                 OpenMessage(missing, 2));
        const std::string folder = FDir.path().toStdString();
        QCOMPARE(MessageOf<EFOpenError>([&] { model.loadFromFile(folder); }),
                 OpenMessage(folder, 5));

        const std::string busy = path("locked.txt");
        WriteFile(busy, "autre");
        const int writer = ::open(busy.c_str(), O_RDWR);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        QVERIFY(fcntl(writer, F_OFD_SETLK, &lock) == 0);
        QCOMPARE(MessageOf<EFOpenError>([&] { model.loadFromFile(busy); }),
                 OpenMessage(busy, kSharingViolation));
        ::close(writer);
        QCOMPARE(std::string(model.text()), std::string("avant"));
    }

    // A FIFO is read until its writer closes it, in whatever pieces come; without a writer it
    // gives an empty text at once instead of waiting for one.
    void loadingAFifo() {
        const std::string fifo = path("load.fifo");
        QCOMPARE(mkfifo(fifo.c_str(), 0600), 0);
        TextModel model = loaded("avant");
        QVERIFY(model.loadFromFile(fifo));
        QCOMPARE(std::string(model.text()), std::string());

        std::string sent;
        for (int i = 0; i < 5000; ++i)
            sent += std::string(size_t(i % 37), char('a' + i % 26)) + (i % 2 ? "\n" : "\r\n");
        // A reading end held all along: the writer opens at once, and never meets a FIFO
        // without a reader (EPIPE) before the model opens it. Readers do not delay the end.
        const int keep = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
        const int fd = ::open(fifo.c_str(), O_WRONLY);
        std::thread writer([&] {
            for (size_t at = 0; at < sent.size(); at += 4001) {
                const size_t n = std::min<size_t>(4001, sent.size() - at);
                if (::write(fd, sent.data() + at, n) != ssize_t(n))
                    break;
            }
            ::close(fd);
        });
        const bool changed = model.loadFromFile(fifo);
        writer.join();
        ::close(keep);
        QVERIFY(changed);
        QCOMPARE(model.lineCount(), 5000);
        QCOMPARE(model.size(), std::int64_t(sent.size() + 2500)); // each lone LF made CR LF
        QCOMPARE(model.line(4999), std::string(size_t(4999 % 37), char('a' + 4999 % 26)));
    }

    // A device that never ends is read up to the capacity, then refused; a FIFO whose writer
    // stays silent ends where it fell silent.
    void sourcesThatNeverEnd() {
        TextModel model = loaded("avant", 1 << 20);
        QCOMPARE(MessageOf<EInvalidOperation>([&] { model.loadFromFile("/dev/zero"); }),
                 std::string(kMemoCapacityMessage));
        QCOMPARE(std::string(model.text()), std::string("avant"));

        const std::string fifo = path("muet.fifo");
        QCOMPARE(mkfifo(fifo.c_str(), 0600), 0);
        const FileHandle reader(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK));
        const FileHandle writer(::open(fifo.c_str(), O_WRONLY));
        QCOMPARE(::write(writer.fd(), "abc\n", 4), ssize_t(4));
        QElapsedTimer clock;
        clock.start();
        const LoadedText loaded = LoadText(reader.fd(), 1 << 20, {}, 200);
        QCOMPARE(std::string(loaded.text.view()), std::string("abc\r\n"));
        QVERIFY(clock.elapsed() < 5000);
    }

    // A refused file's encoding is decided all the same, by the whole file: the search reads it
    // in that encoding.
    void capacity_data() {
        QTest::addColumn<std::string>("file");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("utf8");
        std::string utf8Head;
        while (utf8Head.size() < 600000) // more than one block of the loader
            utf8Head += "d\xC3\xA9j\xC3\xA0\n";
        QTest::newRow("exactly full") << std::string(10, 'a') << true << false;
        QTest::newRow("one byte over") << std::string(11, 'a') << false << false;
        QTest::newRow("over once converted") << std::string("aaaaaaaaa\n") << false << false;
        QTest::newRow("over at the last CR") << std::string("aaaaaaaaa\r") << false << false;
        QTest::newRow("long, cut by a NUL")
            << Bytes("abc\0", 4) + std::string(50, 'b') << true << false;
        QTest::newRow("UTF-8 over") << utf8Head << false << true;
        QTest::newRow("Windows-1252 after a UTF-8 head")
            << utf8Head + "\xE9t\xE9" << false << false;
    }
    void capacity() {
        QFETCH(std::string, file);
        QFETCH(bool, accepted);
        QFETCH(bool, utf8);
        const TextEncoding encoding = utf8 ? TextEncoding::Utf8 : TextEncoding::Cp1252;
        TextModel model = loaded("\xC3\xA9t\xC3\xA9", 10);
        model.setSelection(2, 3);
        WriteFile(path("big.txt"), file);
        // The read decides the file's encoding whether the model then takes its text or not.
        OpenedText read = TextModel::readFile(path("big.txt"), model.limits());
        QCOMPARE(read.encoding, encoding);
        QCOMPARE(read.beyondCapacity, !accepted);
        if (accepted) {
            QVERIFY(model.adopt(std::move(read)));
            QCOMPARE(model.selLength(), 0);
            QCOMPARE(model.encoding(), encoding);
            return;
        }
        QCOMPARE(MessageOf<EInvalidOperation>([&] { model.adopt(std::move(read)); }),
                 std::string(kMemoCapacityMessage));
        QCOMPARE(std::string(model.text()), std::string("\xC3\xA9t\xC3\xA9"));
        QCOMPARE(model.encoding(), TextEncoding::Utf8);
        QCOMPARE(model.selLength(), 1);
    }

    void reloadingTheSameTextKeepsTheSelection() {
        TextModel model = loaded("un\ndeux\n");
        model.setSelection(5, 3);
        QVERIFY(!model.loadFromFile(path("load.txt")));
        QCOMPARE(model.selStart(), 3);
        QCOMPARE(model.caret(), 3);
        WriteFile(path("load.txt"), "un\ndeux\ntrois");
        QVERIFY(model.loadFromFile(path("load.txt")));
        QCOMPARE(model.selStart(), 0);
        QCOMPARE(model.selLength(), 0);
    }

    void offsetsCountCrLfAsTwo() {
        TextModel model = loaded("ab\r\ncd\r\n");
        QCOMPARE(model.rowOffset(0), 0);
        QCOMPARE(model.rowOffset(1), 4);
        QCOMPARE(model.rowOffset(2), 8);
        QCOMPARE(model.rowOffset(9), 8);   // past the last row: the end of the text
        QCOMPARE(model.rowOfOffset(3), 0); // between CR and LF
        QCOMPARE(model.rowOfOffset(4), 1);
        QCOMPARE(model.rowOfOffset(99), 2);

        model.setSelStart(model.rowOffset(1));
        model.setSelLength(2);
        QCOMPARE(model.selectedText(), std::string("cd"));
        QCOMPARE(model.caretRow(), 1);
        model.setSelStart(1);
        model.setSelLength(4);
        QCOMPARE(model.selectedText(), std::string("b\r\nc"));
        model.setSelLength(100);
        QCOMPARE(model.selLength(), 7);
        QCOMPARE(model.caretRow(), 2);
        model.setSelection(6, 1); // a backward selection: the caret is at its start
        QCOMPARE(model.selStart(), 1);
        QCOMPARE(model.selLength(), 5);
        QCOMPARE(model.caretRow(), 0);
        model.setSelStart(-5);
        QCOMPARE(model.caret(), 0);
    }

    // Files of several read blocks, with breaks across their boundaries, rows longer than a
    // stride of the row index, and many rows: the text and every row against a plain reading.
    void largeFilesAgreeWithAPlainConversion() {
        std::mt19937 random(5);
        const char* const pieces[] = {"mot ", "\r\n", "\n", "\r", "\n\r", "\t", "\x1A"};
        for (const std::size_t edge : {std::size_t(1) << 18, std::size_t(1) << 19}) {
            std::string file;
            while (file.size() < 700000)
                file += random() % 50 == 0 ? std::string(random() % 3000, 'x')
                                           : pieces[random() % std::size(pieces)];
            file.replace(edge - 1, 2, random() % 2 ? "\r\n" : "\ry");
            const auto [text, starts] = PlainConversion(file);
            const TextModel model = loaded(file);
            QVERIFY(model.text() == text);
            QCOMPARE(model.rowCount(), int(starts.size()));
            std::int64_t longest = std::int64_t(text.size()) - starts.back();
            for (std::size_t row = 0; row + 1 < starts.size(); ++row)
                longest = std::max(longest, starts[row + 1] - starts[row] - 2);
            QCOMPARE(model.longestRow(), longest);
            for (int probe = 0; probe < 2000; ++probe) {
                const int row = int(random() % starts.size());
                QCOMPARE(model.rowStart(row), starts[std::size_t(row)]);
                const auto offset = std::int64_t(random() % (text.size() + 1));
                const auto after = std::upper_bound(starts.begin(), starts.end(), offset);
                QCOMPARE(model.rowOfOffset(offset), int(after - starts.begin()) - 1);
            }
        }
    }

    // A file shortened, lengthened, replaced or deleted after the first of its read blocks: the
    // load reads on to the end of the open file, and its text and rows are those of the bytes
    // it read.
    void aFileChangingWhileLoadedGivesWhatWasRead() {
        std::mt19937 random(9);
        const std::string file = path("changing.txt");
        for (const Change change : {kShorten, kGrow, kReplace, kDelete}) {
            std::string data;
            while (data.size() < 700000)
                data += random() % 8 == 0 ? "\n" : random() % 8 == 1 ? "\r\n" : "mot ";
            WriteFile(file, data);
            std::string delivered;
            bool changed = false;
            const ReadFunction read = [&](int fd, char* into, std::size_t count) {
                const bool first = delivered.empty();
                const ssize_t got = ::read(fd, into, count);
                delivered.append(into, std::size_t(std::max<ssize_t>(got, 0)));
                if (first)
                    changed = ChangeFile(file, change, delivered.size());
                return got;
            };
            const FileHandle opened = OpenForReading(file).file;
            const LoadedText loaded = LoadText(opened.fd(), TextModel::kDefaultCapacity, read);
            const std::string expected = change == kGrow      ? data + "\nplus"
                                         : change == kShorten ? data.substr(0, 1 << 18)
                                                              : data;
            QVERIFY(changed);
            QVERIFY(delivered == expected);
            const PlainText plain = PlainConversion(delivered);
            QVERIFY(loaded.text.view() == plain.text);
            QCOMPARE(loaded.rows.count(), std::int64_t(plain.starts.size()));
            QCOMPARE(loaded.rows.lastStart(), plain.starts.back());
        }
    }

    // A file of several megabytes, whose text has its pages faulted in ahead by a second
    // thread: the text holds in memory about its own size, not the room reserved for it (twice
    // the file); and a file that grows past that room while it is read is read whole.
    void aLargeTextTakesItsOwnSizeAndMayGrowPastItsRoom() {
        std::string data;
        while (data.size() < (std::size_t(12) << 20))
            data += "mot\nmots\r\n";
        WriteFile(path("large.txt"), data);
        const FileHandle opened = OpenForReading(path("large.txt")).file;
        const LoadedText loaded = LoadText(opened.fd(), TextModel::kDefaultCapacity);
        QVERIFY(loaded.text.view() == PlainConversion(data).text);
        const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
        const auto first = reinterpret_cast<std::uintptr_t>(loaded.text.data()) & ~(page - 1);
        std::vector<unsigned char> in((loaded.text.committed() + 2 * page) / page);
        QCOMPARE(mincore(reinterpret_cast<void*>(first), in.size() * page, in.data()), 0);
        const auto resident =
            std::size_t(std::count_if(in.begin(), in.end(), [](auto p) { return p & 1; })) * page;
        QVERIFY2(resident < loaded.text.size() + (std::size_t(1) << 20),
                 qPrintable(QString::number(resident)));

        WriteFile(path("growing.txt"), data);
        const std::string more(std::size_t(30) << 20, 'x');
        std::string delivered;
        const ReadFunction read = [&](int fd, char* into, std::size_t count) {
            if (delivered.empty())
                std::ofstream(path("growing.txt"), std::ios::binary | std::ios::app) << more;
            const ssize_t got = ::read(fd, into, count);
            delivered.append(into, std::size_t(std::max<ssize_t>(got, 0)));
            return got;
        };
        const FileHandle growing = OpenForReading(path("growing.txt")).file;
        const LoadedText grown = LoadText(growing.fd(), TextModel::kDefaultCapacity, read);
        QVERIFY(delivered == data + more);
        QVERIFY(grown.text.view() == PlainConversion(delivered).text);
    }

    // A UTF-8 text counts characters in every offset of the text-view operations; the
    // byte-order mark is no part of it.
    void aUtf8TextCountsCharacters() {
        std::string alphas;
        for (int i = 0; i < 40000; ++i) // two blocks of the character index
            alphas += "\xCE\xB1";
        const std::string file =
            "\xEF\xBB\xBF\xC3\xA9\xE2\x82\xAC\r\n" + alphas + "\n\xE4\xB8\xAD!";
        TextModel model = loaded(file);
        QCOMPARE(model.encoding(), TextEncoding::Utf8);
        QVERIFY(model.text().starts_with("\xC3\xA9"));
        QCOMPARE(model.rowOffset(1), 4);
        QCOMPARE(model.rowOffset(2), 40006);
        QCOMPARE(model.rowOffset(3), 40008);
        QCOMPARE(model.line(1).size(), std::size_t(2 * TextModel::kMaxLineLength));
        model.setSelStart(1);
        model.setSelLength(2);
        QCOMPARE(model.selectedText(), std::string("\xE2\x82\xAC\r"));
        QCOMPARE(model.selLength(), 2);
        model.setSelStart(model.rowOffset(1) + 39999);
        model.setSelLength(4);
        QCOMPARE(model.selectedText(), std::string("\xCE\xB1\r\n\xE4\xB8\xAD"));
        QCOMPARE(model.selStart(), 40003);
        QVERIFY(!model.loadFromFile(path("load.txt"))); // unchanged: the selection stays
        QCOMPARE(model.selStart(), 40003);
        // The same bytes without the mark are ASCII-free UTF-8 all the same; an ASCII text
        // read before as UTF-8 is a change of encoding.
        WriteFile(path("load.txt"), "\xEF\xBB\xBF"
                                    "abc");
        QVERIFY(model.loadFromFile(path("load.txt")));
        WriteFile(path("load.txt"), "abc");
        QVERIFY(model.loadFromFile(path("load.txt")));
        QCOMPARE(model.encoding(), TextEncoding::Cp1252);
    }
};

QTEST_APPLESS_MAIN(TestTextModel)
#include "test_text_model.moc"
