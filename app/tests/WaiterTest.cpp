// The automatic-quit waiter and the atom clean-up on a real atom table and
// volatile store in a temporary folder, with real threads.
#include "app/startup/Waiter.h"
#include "testsupport/TempFolder.h"

#include <gtest/gtest.h>
#include "app/startup/AtomBook.h"

#include <QTest>
#include <atomic>

namespace ondrix::app::testing {
namespace {

class WaiterTest : public ::testing::Test
{
  protected:
    testsupport::TempFolder folder;
    std::shared_ptr<platform::GlobalAtoms> atoms =
        std::make_shared<platform::GlobalAtoms>(folder.Path() / "atoms");
    std::shared_ptr<platform::VolatileValues> book =
        std::make_shared<platform::VolatileValues>(folder.Path() / "AtomTable");
    std::atomic<int> finished{0};

    std::unique_ptr<TWaiter> Wait(std::int32_t n)
    {
        return std::make_unique<TWaiter>(n, atoms, book, [this] { ++finished; });
    }
    bool WaitUntil(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 5000); }
};

TEST_F(WaiterTest, TimedWaitFinishesOnceAndStopCancelsIt)
{
    auto quick = Wait(0);
    ASSERT_TRUE(WaitUntil([&] { return finished == 1; }));
    quick.reset();
    EXPECT_EQ(finished, 1);

    auto slow = Wait(600000);
    slow->Stop(); // returns at once, never finishes
    slow.reset();
    EXPECT_EQ(finished, 1);
}

TEST_F(WaiterTest, StoppedAtomWaitRemovesItsBooking)
{
    const std::uint16_t atom = atoms->Add("token");
    auto waiter = Wait(-atom);
    ASSERT_TRUE(WaitUntil([&] { return book->First().has_value(); }));
    waiter.reset();
    EXPECT_FALSE(book->First());
    EXPECT_EQ(finished, 0);
    EXPECT_EQ(atoms->Name(atom), "token");
}

TEST_F(WaiterTest, AbsentAtomsFinishAtOnce)
{
    // No such atom, and numbers beyond the atom range (never truncated to 16 bits).
    const std::uint16_t atom = atoms->Add("x");
    ASSERT_EQ(atom, platform::GlobalAtoms::kFirstAtom);
    auto a = Wait(-(atom + 1));
    auto b = Wait(-(atom + 65536));
    ASSERT_TRUE(WaitUntil([&] { return finished == 2; }));
    EXPECT_FALSE(book->First());
}

TEST_F(WaiterTest, ManyWaitersAtOnceLoseNoBooking)
{
    constexpr int kWaiters = 8;
    std::vector<std::uint16_t> numbers;
    std::vector<std::unique_ptr<TWaiter>> waiters;
    for (int i = 0; i < kWaiters; ++i) {
        numbers.push_back(atoms->Add("token " + std::to_string(i)));
        waiters.push_back(Wait(-numbers.back()));
    }
    auto bookings = [&] {
        int found = 0;
        for (std::uint16_t atom : numbers)
            found += std::filesystem::exists(book->Directory() / std::to_string(atom));
        return found;
    };
    ASSERT_TRUE(WaitUntil([&] { return bookings() == kWaiters; }));
    for (std::uint16_t atom : numbers)
        atoms->Delete(atom);
    ASSERT_TRUE(WaitUntil([&] { return finished == kWaiters; }));
    EXPECT_FALSE(book->First());
}

TEST(AtomBookTest, EachBookingDeletesItsAtomOnce)
{
    testsupport::TempFolder folder;
    platform::GlobalAtoms atoms(folder.Path() / "atoms");
    platform::VolatileValues book(folder.Path() / "AtomTable");
    const std::uint16_t shared = atoms.Add("shared");
    ASSERT_EQ(atoms.Add("shared"), shared); // two references
    const std::uint16_t single = atoms.Add("single");
    ASSERT_TRUE(book.Set(std::to_string(shared), "shared"));
    ASSERT_TRUE(book.Set(std::to_string(single), "single"));
    ASSERT_TRUE(book.Set("not-a-number", "x"));
    ASSERT_TRUE(book.Set("99999", "beyond the atoms"));

    EXPECT_EQ(DeleteBookedAtoms(book, atoms), 4);
    EXPECT_EQ(atoms.Name(shared), "shared"); // one reference left
    EXPECT_EQ(atoms.Name(single), "");
    EXPECT_FALSE(book.First());
    EXPECT_EQ(DeleteBookedAtoms(book, atoms), 0);
}

} // namespace
} // namespace ondrix::app::testing
