// Note names: the parser on its own, then SetNote and SetAMNote on the component.
#include "platform/SoundDevice.h"
#include "tonegen/NoteParser.h"
#include "tonegen/ToneGen.h"

#include <gtest/gtest.h>

namespace ondrix::tonegen {
namespace {

TEST(ParseNote, ReferenceNotes)
{
    EXPECT_EQ(ParseNote("O4A", 0).frequency, 440);
    EXPECT_EQ(ParseNote("O4C", 4).frequency, 523); // C lies above A in the same octave
    EXPECT_EQ(ParseNote("N0", 4).frequency, 28);   // Trunc(27.5 + 0.5)
    EXPECT_EQ(ParseNote("N48", 4).frequency, 440);
    EXPECT_EQ(ParseNote("N$30", 4).frequency, 440);
    EXPECT_EQ(ParseNote(" \to4a\r\n", 1).frequency, 440); // trimmed, any case
    EXPECT_EQ(ParseNote("O4G#", 4).frequency, ParseNote("O5A-", 4).frequency);
    EXPECT_EQ(ParseNote("O4C+", 4).frequency, 554);
}

TEST(ParseNote, OctaveMoves)
{
    EXPECT_EQ(ParseNote("A", 4).octave, 4);
    const ParsedNote lower = ParseNote("<C", 4);
    EXPECT_EQ(lower.frequency, 262);
    EXPECT_EQ(lower.octave, 3);
    const ParsedNote flat = ParseNote("A-", 4);
    EXPECT_EQ(flat.frequency, 415);
    EXPECT_EQ(flat.octave, 3);
    // Runs of < and > stop at octaves 0 and 9.
    EXPECT_EQ(ParseNote("<<<<<<<<A", 4).frequency, 28);
    const ParsedNote high = ParseNote(">>>>>>>>A", 4);
    EXPECT_EQ(high.frequency, 14080);
    EXPECT_EQ(high.octave, 9);
    EXPECT_EQ(ParseNote("<>A", 4).octave, 4);
    EXPECT_EQ(ParseNote("N12", 7).octave, 7); // the N form keeps the octave
}

TEST(ParseNote, InvalidTextsYieldZero)
{
    for (const char* text :
         {"",  "   ", "O4A4", "B#",   "E+",  "C-",   "F-",   "H",    "O",    "OA", "O4", "O4<A",
          "N", "N$",  "N121", "N122", "N-1", "N12x", "N 12", "O0A-", "O9G#", "AA", "#A"})
        EXPECT_EQ(ParseNote(text, 4).frequency, 0) << '"' << text << '"';
}

TEST(Notes, SetNoteSetsFrequencyAndOctaveOnlyWhenValid)
{
    TToneGen tone(platform::SilentSoundDevice());
    ASSERT_TRUE(tone.Prepare());
    EXPECT_EQ(tone.SetNote("O4A"), 440);
    EXPECT_EQ(tone.Octave(), 4);
    EXPECT_TRUE(tone.WaveDirty());
    EXPECT_EQ(tone.SetNote("<C"), 262);
    EXPECT_EQ(tone.Frequency(), 262);
    EXPECT_EQ(tone.Octave(), 3);

    ASSERT_TRUE(tone.Prepare());
    EXPECT_EQ(tone.SetNote("N121"), 0);
    EXPECT_EQ(tone.Frequency(), 262);
    EXPECT_EQ(tone.Octave(), 3);
    EXPECT_FALSE(tone.WaveDirty());
}

TEST(Notes, SetAMNoteStoresHertzOrMultiple)
{
    TToneGen tone(platform::SilentSoundDevice());
    tone.SetFrequency(220);
    EXPECT_FLOAT_EQ(tone.SetAMNote(tgAMLevel2, "O4A"), 2.0f);
    EXPECT_FLOAT_EQ(tone.Slot(tgAMLevel2).frequency, 2.0f);
    EXPECT_FLOAT_EQ(tone.AMFrequency(), 0.5f); // the cached slot-1 copy is not refreshed

    tone.SetAMUseMultiplier(false);
    EXPECT_FLOAT_EQ(tone.SetAMNote(tgAMLevel8, "A-"), 415.0f);
    EXPECT_EQ(tone.AMOctave(tgAMLevel8), 3);
    EXPECT_EQ(tone.AMOctave(tgAMLevel1), 4);

    EXPECT_EQ(tone.SetAMNote(tgAMLevel8, "B#"), 0.0f);
    EXPECT_FLOAT_EQ(tone.Slot(tgAMLevel8).frequency, 415.0f);
}

} // namespace
} // namespace ondrix::tonegen
