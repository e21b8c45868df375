// Many threads using the atom table and the volatile values at once; also run
// under ThreadSanitizer.
#include "platform/GlobalAtoms.h"
#include "platform/SettingsStore.h"
#include "testsupport/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace ondrix::platform {
namespace {

constexpr int kThreads = 8;
constexpr int kRoundsPerThread = 25;

TEST(ConcurrentGlobalAtoms, ThreadsAddingAndDeletingKeepNumbersUniqueAndCountsExact)
{
    testsupport::TempFolder folder;
    const std::filesystem::path dir = folder.Path() / "atoms";
    std::mutex mutex;
    std::map<std::uint16_t, std::string> owners; // number -> the only name it may carry
    std::atomic<int> failures{0};
    std::uint16_t sharedAtom = 0;

    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            GlobalAtoms atoms(dir); // each thread its own object, as separate processes would
            for (int round = 0; round < kRoundsPerThread; ++round) {
                const std::string name = "thread " + std::to_string(t) + " round " + std::to_string(round);
                const std::uint16_t atom = atoms.Add(name);
                const std::uint16_t shared = atoms.Add("shared by all");
                if (atom == 0 || shared == 0 || atoms.Name(atom) != name) ++failures;
                {
                    std::lock_guard lock(mutex);
                    if (sharedAtom == 0) sharedAtom = shared;
                    if (shared != sharedAtom) ++failures;
                    // While this thread holds its atom, nobody else may own the number.
                    if (!owners.emplace(atom, name).second) ++failures;
                }
                {
                    std::lock_guard lock(mutex);
                    owners.erase(atom);
                }
                if (!atoms.Delete(atom)) ++failures;
                if (round % 2 == 1 && !atoms.Delete(shared)) ++failures;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_EQ(failures.load(), 0);
    // Each thread added the shared name 25 times and deleted it 12 times.
    GlobalAtoms atoms(dir);
    const int remaining = kThreads * (kRoundsPerThread - kRoundsPerThread / 2);
    for (int i = 0; i < remaining; ++i)
        ASSERT_TRUE(atoms.Delete(sharedAtom)) << "reference " << i;
    EXPECT_FALSE(atoms.Delete(sharedAtom));
    EXPECT_EQ(atoms.Name(sharedAtom), "");
    // Nothing but the lock file is left.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        files += entry.path().filename() != ".lock";
    EXPECT_EQ(files, 0);
}

TEST(ConcurrentVolatileValues, WritersAtOnceLoseNoValueAndNeverTearOne)
{
    testsupport::TempFolder folder;
    const std::filesystem::path dir = folder.Path() / "Merrow" / "Ondrix" / "AtomTable";
    std::atomic<int> failures{0};
    const std::string longData(3000, 'd');

    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            VolatileValues values(dir);
            for (int round = 0; round < kRoundsPerThread; ++round) {
                // Own value per thread, plus one value every thread rewrites.
                if (!values.Set(std::to_string(50000 + t), "name of " + std::to_string(t))) ++failures;
                if (!values.Set("49152", longData + std::to_string(t))) ++failures;
                const auto first = values.First();
                if (!first || first->first != "49152" || first->second.size() != longData.size() + 1)
                    ++failures;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);

    // Drain the way the clean-up does: read index 0, delete it, again.
    VolatileValues values(dir);
    std::vector<std::string> drained;
    while (auto first = values.First()) {
        drained.push_back(first->first);
        ASSERT_TRUE(values.Delete(first->first));
    }
    std::vector<std::string> expected{"49152"};
    for (int t = 0; t < kThreads; ++t)
        expected.push_back(std::to_string(50000 + t));
    EXPECT_EQ(drained, expected);
    EXPECT_TRUE(std::filesystem::is_empty(dir)); // no temporary left behind
}

} // namespace
} // namespace ondrix::platform
