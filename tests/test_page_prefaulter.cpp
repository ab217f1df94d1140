// SPDX-License-Identifier: GPL-3.0-or-later
// The thread that faults in the pages of the text ahead of its writer: which pages, and never a
// byte changed.
#include "text/page_prefaulter.h"

#include <QTest>

#include <algorithm>
#include <chrono>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const std::size_t kPage = std::size_t(sysconf(_SC_PAGESIZE));

// Fresh anonymous memory of 4 KiB pages, none of them touched yet.
class FreshPages {
public:
    explicit FreshPages(std::size_t pages) : FSize(pages * kPage) {
        void* data = mmap(nullptr, FSize, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        FData = data == MAP_FAILED ? nullptr : static_cast<char*>(data);
        if (FData)
            madvise(FData, FSize, MADV_NOHUGEPAGE);
    }
    ~FreshPages() {
        if (FData)
            munmap(FData, FSize);
    }
    char* data() const { return FData; }
    std::size_t size() const { return FSize; }

    // Which pages are in memory.
    std::vector<bool> resident() const {
        std::vector<unsigned char> in(FSize / kPage);
        mincore(FData, FSize, in.data());
        return std::vector<bool>(in.begin(), in.end());
    }

private:
    std::size_t FSize;
    char* FData = nullptr;
};

} // namespace

class TestPagePrefaulter : public QObject {
    Q_OBJECT
private slots:
    // The pages between what was written and what will be are faulted in, and no others: not
    // those the writer has passed, not those past what it asked for.
    void theAskedPagesAndNoOthersAreFaultedIn() {
        const FreshPages pages(64);
        QVERIFY(pages.data());
        PagePrefaulter prefaulter(pages.data(), pages.size());
        prefaulter.ask(8 * kPage + 100, 40 * kPage - 100);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        auto asked = [&] {
            const std::vector<bool> in = pages.resident();
            return std::all_of(in.begin() + 8, in.begin() + 40, [](bool b) { return b; });
        };
        while (!asked() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        prefaulter.stop();
        const std::vector<bool> in = pages.resident();
        for (std::size_t page = 0; page < in.size(); ++page)
            QVERIFY2(in[page] == (page >= 8 && page < 40), qPrintable(QString::number(page)));
    }

    // A writer that asks ahead after each short write, in the middle of pages, finds every byte
    // as it wrote it.
    void theWriterKeepsEveryByte() {
        const FreshPages pages(2048);
        QVERIFY(pages.data());
        PagePrefaulter prefaulter(pages.data(), pages.size());
        auto byteAt = [](std::size_t i) { return char(i * 7 + i / 4096); };
        for (std::size_t written = 0; written < pages.size();) {
            prefaulter.ask(written, written + 64 * kPage);
            const std::size_t end = std::min(written + 1000, pages.size());
            for (; written < end; ++written)
                pages.data()[written] = byteAt(written);
        }
        prefaulter.stop();
        for (std::size_t i = 0; i < pages.size(); ++i)
            if (pages.data()[i] != byteAt(i))
                QFAIL(qPrintable(QStringLiteral("octet %1 changé").arg(i)));
    }
};

QTEST_APPLESS_MAIN(TestPagePrefaulter)
#include "test_page_prefaulter.moc"
