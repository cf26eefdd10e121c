// Probes of the package import with damaged packages, one store per package
// kind: every truncation of the package and seeded single-bit flips, both of
// the package the library exports (with its checksum block) and of the same
// content as an exporter without the block writes it. After every import the
// store is either exactly as it was (the package was refused) or whole: it
// passes the invariant checker, everything outside the package's target is
// as it was, and the target holds as many documents and pages as the intact
// package carries.
#include <filesystem>
#include <fstream>
#include <random>

#include "tabellon/tests/package_builder.h"
#include "tabellon/tests/store_host.h"

namespace fs = std::filesystem;

namespace tabellon_test {
namespace {

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool within(const std::string& path, const std::string& target) {
    return target.empty() || path == target || (path.size() > target.size() && path.compare(0, target.size(), target) == 0 &&
                                                path[target.size()] == '\\');
}

struct Counts {
    size_t documents = 0, pages = 0;
    bool operator==(const Counts&) const = default;
};

class PackageProbeTest : public StoreTest {
protected:
    // A: d1 (2 pages), B: d2 (1 page), d3 (1 page); Other: keep (1 page); loose (1 page).
    void SetUp() override {
        thumbSize = 4;  // small thumbnails keep the packages, and so the cases, few
        StoreTest::SetUp();
        DWORD a = folder(0, "A");
        docs["A\\d1"] = smallDocument(a, "d1", 2);
        DWORD b = folder(a, "B");
        docs["A\\B\\d2"] = smallDocument(b, "d2", 1);
        docs["A\\d3"] = smallDocument(a, "d3", 1);
        DWORD other = folder(0, "Other");
        docs["Other\\keep"] = smallDocument(other, "keep", 1);
        docs["loose"] = smallDocument(0, "loose", 1);
        ids["A"] = a;
        baseline = contentByPath();
        packageFile = scratch + "/probe.pkg";
    }

    DWORD smallDocument(DWORD parent, const char* name, int pages) {
        DB_DOCINFO info{};
        std::snprintf(info.Name, 260, "%s", name);
        EXPECT_EQ(t.DB_CreateDocument(parent, &info), DB_OK);
        for (int i = 0; i < pages; ++i) {
            int seed = ++imageSeed;
            std::string file =
                writeImage(scratch + "/small" + std::to_string(seed) + ".png", DB_FORMAT_PNG, 6 + seed % 3, 5, seed);
            DWORD page = 0;
            EXPECT_EQ(t.DB_AppendPageFile(info.ID, file.c_str(), &page), DB_OK);
        }
        return info.ID;
    }

    // The content as an exporter without the checksum block writes it, with
    // short stand-ins for the thumbnails (the import does not read them, and
    // a smaller package makes fewer cases).
    DocumentBytes documentBytes(const std::string& path) {
        DocumentBytes d{path, {}};
        DB_DOCINFO info{};
        info.ID = docs.at(path);
        EXPECT_EQ(t.DB_GetDocumentInfo(&info), DB_OK);
        for (DWORD p = 1; p <= info.TotalPages; ++p) {
            d.pages.push_back({"PNG", fileBytes(pageFile(info.ID, p)), "thumb" + std::to_string(p)});
        }
        return d;
    }

    Counts countsIn(const std::map<std::string, std::string>& content, const std::string& target) {
        Counts c;
        for (const auto& [path, what] : content) {
            if (!within(path, target) || what[0] != 'D') continue;
            ++c.documents;
            for (char ch : what) c.pages += ch == ' ';
        }
        return c;
    }

    std::map<std::string, std::string> outside(const std::map<std::string, std::string>& content, const std::string& target) {
        std::map<std::string, std::string> out;
        for (const auto& entry : content)
            if (!within(entry.first, target)) out.insert(entry);
        return out;
    }

    struct Tally {
        size_t refused = 0, accepted = 0, cutsAccepted = 0;
    };

    // Imports one damaged package and checks the store after it.
    void probe(const std::string& bytes, const std::string& target, bool checksummed, const std::string& label, Tally& tally) {
        writeBytes(packageFile, bytes);
        DWORD id = 0;
        int rc = t.DB_ImportPackage(packageFile.c_str(), &id, nullptr, nullptr);
        if (rc != DB_OK) {
            ++tally.refused;
            EXPECT_EQ(storeState(root, storage), stateBefore) << label << " was refused (" << rc << ") but changed the store";
            return;
        }
        ++tally.accepted;
        SCOPED_TRACE(label + " was accepted");
        EXPECT_FALSE(checksummed) << "a damaged package with its checksum block was accepted";
        checkInvariants(root, storage);
        auto now = contentByPath();
        EXPECT_EQ(outside(now, target), outside(baseline, target));
        EXPECT_EQ(countsIn(now, target), countsIn(baseline, target));
        stateBefore = storeState(root, storage);
    }

    // Every truncation and `flips` seeded single-bit flips of `intact`.
    Tally probeAll(const std::string& intact, const std::string& target, bool checksummed, size_t flips, unsigned seed) {
        // The intact package imports and gives the store back as it was.
        writeBytes(packageFile, intact);
        DWORD id = 0;
        EXPECT_EQ(t.DB_ImportPackage(packageFile.c_str(), &id, nullptr, nullptr), DB_OK);
        EXPECT_EQ(contentByPath(), baseline);
        stateBefore = storeState(root, storage);
        Tally tally;
        for (size_t cut = 0; cut < intact.size() && !HasFailure(); ++cut)
            probe(intact.substr(0, cut), target, checksummed, "cut at " + std::to_string(cut), tally);
        tally.cutsAccepted = tally.accepted;
        std::mt19937 rng(seed);
        for (size_t i = 0; i < flips && !HasFailure(); ++i) {
            size_t bit = rng() % (intact.size() * 8);
            std::string bent = intact;
            bent[bit / 8] = char(bent[bit / 8] ^ (1 << (bit % 8)));
            probe(bent, target, checksummed, "bit " + std::to_string(bit) + " flipped", tally);
        }
        return tally;
    }

    std::string exported(int kind, DWORD id) {
        std::string file = scratch + "/intact.pkg";
        int rc = kind == 0 ? t.DB_ExportDocumentPackage(id, file.c_str(), nullptr, nullptr)
                           : t.DB_ExportFolderPackage(id, file.c_str(), nullptr, nullptr);
        EXPECT_EQ(rc, DB_OK);
        return fileBytes(file);
    }

    void run(const std::string& withChecksum, const std::string& without, const std::string& target) {
        Tally summed = probeAll(withChecksum, target, true, 300, 17);
        Tally plain = probeAll(without, target, false, 100, 29);
        std::printf("[ probe    ] %zu bytes with checksum: %zu refused, %zu accepted; %zu bytes without: %zu refused, "
                    "%zu accepted (%zu of them cut)\n",
                    withChecksum.size(), summed.refused, summed.accepted, without.size(), plain.refused, plain.accepted,
                    plain.cutsAccepted);
        // A cut package is never taken in, and with its checksum no damaged one is.
        EXPECT_EQ(summed.accepted, 0u);
        EXPECT_EQ(plain.cutsAccepted, 0u);
    }

    std::map<std::string, DWORD> docs, ids;
    std::map<std::string, std::string> baseline;
    std::string stateBefore;
    std::string packageFile;
};

TEST_F(PackageProbeTest, DamagedDocumentPackagesLeaveTheStoreWhole) {
    PackageBuilder plain{0, "A\\d1", {}, {documentBytes("A\\d1")}};
    run(exported(0, docs["A\\d1"]), plain.bytes(), "A\\d1");
}

TEST_F(PackageProbeTest, DamagedFolderPackagesLeaveTheStoreWhole) {
    PackageBuilder plain{1, "A", {"A", "A\\B"}, {documentBytes("A\\d1"), documentBytes("A\\B\\d2"), documentBytes("A\\d3")}};
    run(exported(1, ids["A"]), plain.bytes(), "A");
}

TEST_F(PackageProbeTest, DamagedWholeStorePackagesLeaveTheStoreWhole) {
    PackageBuilder plain{1, "", {"A", "A\\B", "Other"},
                         {documentBytes("A\\d1"), documentBytes("A\\B\\d2"), documentBytes("A\\d3"),
                          documentBytes("Other\\keep"), documentBytes("loose")}};
    run(exported(1, 0), plain.bytes(), "");
}

}  // namespace
}  // namespace tabellon_test
