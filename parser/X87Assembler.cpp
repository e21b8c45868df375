#include "parser/X87Assembler.h"

#include <cstring>
#include <stdexcept>

namespace ondrix::parser {

X87Assembler::Label X87Assembler::NewLabel()
{
    labels_.push_back(-1);
    return static_cast<Label>(labels_.size() - 1);
}

void X87Assembler::Bind(Label label)
{
    labels_.at(static_cast<std::size_t>(label)) = static_cast<std::int64_t>(code_.size());
}

std::vector<std::uint8_t> X87Assembler::Finish()
{
    for (const Fixup& fixup : fixups_) {
        const std::int64_t target = labels_.at(static_cast<std::size_t>(fixup.label));
        if (target < 0) throw std::logic_error("jump to an unbound label");
        Patch32(fixup.at, static_cast<std::int32_t>(target - static_cast<std::int64_t>(fixup.at + 4)));
    }
    fixups_.clear();
    return code_;
}

void X87Assembler::Int32(std::int32_t value)
{
    std::uint8_t bytes[4];
    std::memcpy(bytes, &value, 4);
    code_.insert(code_.end(), bytes, bytes + 4);
}

void X87Assembler::Patch32(std::size_t at, std::int32_t value)
{
    std::memcpy(&code_.at(at), &value, 4);
}

void X87Assembler::MoveImmediate(std::uint8_t opcode, const void* address)
{
    MoveImmediate(opcode, static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(address)));
}

void X87Assembler::MoveImmediate(std::uint8_t opcode, std::int64_t value)
{
    Bytes({0x48, opcode});
    std::uint8_t bytes[8];
    std::memcpy(bytes, &value, 8);
    code_.insert(code_.end(), bytes, bytes + 8);
}

void X87Assembler::SubtractFromRsp(std::int32_t amount)
{
    Bytes({0x48, 0x81, 0xEC});
    Int32(amount);
}

std::size_t X87Assembler::SubtractFromRspPatchable()
{
    SubtractFromRsp(0);
    return code_.size() - 4;
}

void X87Assembler::AddToRsp(std::int32_t amount)
{
    Bytes({0x48, 0x81, 0xC4});
    Int32(amount);
}

void X87Assembler::FrameOperand(std::initializer_list<std::uint8_t> opcode, int reg, std::int32_t offset)
{
    Bytes(opcode);
    // mod = 10 (disp32), rm = 100 (SIB follows); SIB: no index, base RSP.
    Byte(static_cast<std::uint8_t>(0x84 | (reg << 3)));
    Byte(0x24);
    Int32(offset);
}

void X87Assembler::Jump(std::initializer_list<std::uint8_t> opcode, Label label)
{
    Bytes(opcode);
    fixups_.push_back({code_.size(), label});
    Int32(0);
}

} // namespace ondrix::parser
