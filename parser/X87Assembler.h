// Encodes the few x86-64 instructions that evaluation code needs: the x87
// stack arithmetic on extended values, 64-bit integer division for MOD and
// DIV, absolute addresses through RAX, a stack frame addressed from RSP and
// forward jumps to labels.
#pragma once

#include <cstdint>
#include <vector>

namespace ondrix::parser {

class X87Assembler
{
  public:
    using Label = int;

    Label NewLabel();
    void Bind(Label label);
    // The finished bytes, with every jump resolved.
    std::vector<std::uint8_t> Finish();
    std::size_t Size() const noexcept { return code_.size(); }

    // Registers and absolute addresses.
    void MoveToRax(const void* address) { MoveImmediate(0xB8, address); }
    void MoveToRcx(std::int64_t value) { MoveImmediate(0xB9, value); }
    void MoveToRdx(std::int64_t value) { MoveImmediate(0xBA, value); }
    void MoveToRdi(const void* address) { MoveImmediate(0xBF, address); }
    void CallRax() { Bytes({0xFF, 0xD0}); }
    void Return() { Byte(0xC3); }
    void TestAl() { Bytes({0x84, 0xC0}); }
    // The frame: RSP-relative 64-bit slots.
    void SubtractFromRsp(std::int32_t amount);
    void AddToRsp(std::int32_t amount);
    std::size_t SubtractFromRspPatchable(); // returns where the amount goes
    void Patch32(std::size_t at, std::int32_t value);
    void LoadRaxFromFrame(std::int32_t offset) { FrameOperand({0x48, 0x8B}, 0, offset); }
    void LoadRcxFromFrame(std::int32_t offset) { FrameOperand({0x48, 0x8B}, 1, offset); }
    void StoreRaxInFrame(std::int32_t offset) { FrameOperand({0x48, 0x89}, 0, offset); }
    void StoreRdxInFrame(std::int32_t offset) { FrameOperand({0x48, 0x89}, 2, offset); }
    void PointRdiToFrame(std::int32_t offset) { FrameOperand({0x48, 0x8D}, 7, offset); } // lea
    void CompareRaxWithRdx() { Bytes({0x48, 0x39, 0xD0}); }
    void CompareRcxWithRdx() { Bytes({0x48, 0x39, 0xD1}); }
    void TestRcx() { Bytes({0x48, 0x85, 0xC9}); }
    void SignExtendRax() { Bytes({0x48, 0x99}); }           // cqo
    void DivideRdxRaxByRcx() { Bytes({0x48, 0xF7, 0xF9}); } // idiv rcx

    // x87 loads and stores.
    void LoadExtendedAtRax() { Bytes({0xDB, 0x28}); }
    void StoreExtendedAtRaxAndPop() { Bytes({0xDB, 0x38}); }
    void LoadDoubleAtRax() { Bytes({0xDD, 0x00}); }
    void LoadExtendedFromFrame(std::int32_t offset) { FrameOperand({0xDB}, 5, offset); }
    void StoreExtendedInFrameAndPop(std::int32_t offset) { FrameOperand({0xDB}, 7, offset); }
    void TruncateIntoFrameAndPop(std::int32_t offset) { FrameOperand({0xDD}, 1, offset); } // fisttp m64
    void LoadIntegerFromFrame(std::int32_t offset) { FrameOperand({0xDF}, 5, offset); }    // fild m64
    void LoadZero() { Bytes({0xD9, 0xEE}); }
    void LoadOne() { Bytes({0xD9, 0xE8}); }
    void Duplicate(int i) { Bytes({0xD9, static_cast<std::uint8_t>(0xC0 + i)}); } // fld st(i)
    void Pop() { Bytes({0xDD, 0xD8}); }                                           // fstp st(0)
    void PopBelowTop() { Bytes({0xDD, 0xD9}); }                                   // fstp st(1)
    void ChangeSign() { Bytes({0xD9, 0xE0}); }
    void Absolute() { Bytes({0xD9, 0xE1}); }

    // st(0) = st(0) op st(i).
    void SubtractFromTop(int i) { Bytes({0xD8, static_cast<std::uint8_t>(0xE0 + i)}); }
    void MultiplyTop(int i) { Bytes({0xD8, static_cast<std::uint8_t>(0xC8 + i)}); }
    // st(1) = st(1) op st(0), then pop; the "Reversed" forms compute st(0) op st(1).
    void AddAndPop() { Bytes({0xDE, 0xC1}); }
    void MultiplyAndPop() { Bytes({0xDE, 0xC9}); }
    void SubtractAndPop() { Bytes({0xDE, 0xE9}); }
    void SubtractReversedAndPop() { Bytes({0xDE, 0xE1}); }
    void DivideAndPop() { Bytes({0xDE, 0xF9}); }
    void DivideReversedAndPop() { Bytes({0xDE, 0xF1}); }
    // st(0) = st(0) op double at [rax]; the "Reversed" forms compute double op st(0).
    void AddDoubleAtRax() { Bytes({0xDC, 0x00}); }
    void MultiplyDoubleAtRax() { Bytes({0xDC, 0x08}); }
    void SubtractDoubleAtRax() { Bytes({0xDC, 0x20}); }
    void SubtractFromDoubleAtRax() { Bytes({0xDC, 0x28}); }
    void DivideByDoubleAtRax() { Bytes({0xDC, 0x30}); }
    void DivideDoubleAtRax() { Bytes({0xDC, 0x38}); }
    // Compares st(0) with st(i) into the integer flags and pops.
    void CompareAndPop(int i) { Bytes({0xDF, static_cast<std::uint8_t>(0xE8 + i)}); }

    void JumpIfUnordered(Label label) { Jump({0x0F, 0x8A}, label); }
    void JumpIfEqual(Label label) { Jump({0x0F, 0x84}, label); }

  private:
    void Byte(std::uint8_t byte) { code_.push_back(byte); }
    void Bytes(std::initializer_list<std::uint8_t> bytes) { code_.insert(code_.end(), bytes); }
    void Int32(std::int32_t value);
    void MoveImmediate(std::uint8_t opcode, const void* address);
    void MoveImmediate(std::uint8_t opcode, std::int64_t value);
    // [rsp + disp32] with the given opcode bytes and ModRM reg field.
    void FrameOperand(std::initializer_list<std::uint8_t> opcode, int reg, std::int32_t offset);
    void Jump(std::initializer_list<std::uint8_t> opcode, Label label);

    struct Fixup
    {
        std::size_t at;
        Label label;
    };
    std::vector<std::uint8_t> code_;
    std::vector<std::int64_t> labels_; // bound position, -1 while unbound
    std::vector<Fixup> fixups_;
};

} // namespace ondrix::parser
