// Native code for a compiled expression on x86-64: its operation tree
// evaluated on the x87 register stack, so that no intermediate result goes
// through memory (80-bit loads and stores are slow microcoded instructions).
//
// The code takes only the ordinary path. Whenever anything unusual happens —
// a result that is not finite, a zero divisor, a truncation out of range, a
// routine that fails or raises — it gives up ("bails"), and the caller runs the
// evaluation program instead, which finds the exact outcome. That is sound
// because only expressions without side effects get native code (no RND,
// RANDOM or added routines), and because the cells a domain error would
// return are written only when the whole evaluation has succeeded.
#pragma once

#include "parser/MDParser.h"

#include <deque>
#include <memory>
#include <vector>

namespace ondrix::parser {

class ExecutableMemory;

class TMachineCode
{
  public:
    // Null when the expression or the machine does not allow native code.
    static std::unique_ptr<TMachineCode> Compile(const std::vector<TOperation>& operations,
                                                 const std::deque<long double>& cells);
    ~TMachineCode();

    // The value, always finite; NaN when the code bailed (and changed nothing).
    long double Run() const { return entry_(); }
    static bool Bailed(long double value) noexcept { return value != value; }

  private:
    friend class MachineCodeGenerator;
    using Entry = long double (*)();

    TMachineCode();

    // Storage the code addresses directly: it must not move.
    std::deque<double> doubles_;
    std::deque<long double> extendeds_;
    std::deque<TOperation> routineCalls_;
    std::unique_ptr<ExecutableMemory> memory_;
    Entry entry_ = nullptr;
};

// Whether Compile may produce code at all. The environment decides at first
// use: ONDRIX_NO_MACHINE_CODE set to anything but "" or "0" keeps every
// formula on the portable evaluator. Tests and comparisons may change it.
void AllowMachineCode(bool allowed) noexcept;
bool MachineCodeAllowed() noexcept;
inline constexpr const char* kNoMachineCodeSwitch = "ONDRIX_NO_MACHINE_CODE";
// Whether that variable's value (null when unset) switches machine code off.
bool SwitchesMachineCodeOff(const char* value) noexcept;

} // namespace ondrix::parser
