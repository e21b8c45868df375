#include "platform/IoPort.h"
#include "platform/SerialLine.h"
#include "platform/SystemError.h"
#include "testsupport/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <pty.h>
#include <unistd.h>

namespace ondrix::platform {
namespace {

TEST(SystemError, MessageCarriesCodeAndSystemText)
{
    const SystemError error = SystemErrorFromErrno(ENOENT);
    EXPECT_EQ(error.Code(), ENOENT);
    EXPECT_STREQ(error.what(), "System Error.  Code: 2.\r\nNo such file or directory");
    EXPECT_STREQ(SystemError(ENOTTY).what(), "System Error.  Code: 25.\r\nInappropriate ioctl for device");
}

TEST(SerialDevicePath, MapsComNamesAndDeviceNames)
{
    // Only strings: the machine's first serial port is its console.
    EXPECT_EQ(SerialDevicePath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(SerialDevicePath("com3"), "/dev/ttyS2");
    EXPECT_EQ(SerialDevicePath("Com12"), "/dev/ttyS11");
    EXPECT_EQ(SerialDevicePath("ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(SerialDevicePath("ttyACM1"), "/dev/ttyACM1");
    EXPECT_EQ(SerialDevicePath("/dev/serial/by-id/x"), "/dev/serial/by-id/x");
    // Not a COM number: looked up under /dev like any other name.
    EXPECT_EQ(SerialDevicePath("COM0"), "/dev/COM0");
    EXPECT_EQ(SerialDevicePath("COM"), "/dev/COM");
    EXPECT_EQ(SerialDevicePath("COM1x"), "/dev/COM1x");
    EXPECT_EQ(SerialDevicePath("COMPORT"), "/dev/COMPORT");
}

void ExpectOpenFails(const std::string& portName, int code)
{
    try {
        OpenSerialLine(portName);
        ADD_FAILURE() << portName << " opened";
    } catch (const SystemError& error) {
        EXPECT_EQ(error.Code(), code) << portName;
        EXPECT_EQ(std::string(error.what()),
                  "System Error.  Code: " + std::to_string(code) + ".\r\n" + SystemErrorText(code));
    }
}

TEST(OpenSerialLine, MissingDevicesAndNonSerialFilesAreSystemErrors)
{
    ExpectOpenFails("/nonexistent/ttyS99", ENOENT);
    ExpectOpenFails("ondrix-no-such-tty", ENOENT);
    EXPECT_EQ(SystemErrorText(ENOENT), "No such file or directory");

    testsupport::TempFolder folder;
    const std::filesystem::path plain = folder.Path() / "plain";
    std::ofstream(plain) << "not a device";
    ExpectOpenFails(plain.string(), ENOTTY);
    EXPECT_TRUE(std::filesystem::exists(plain));

    // Never created: opening a missing path leaves nothing behind.
    ExpectOpenFails((folder.Path() / "made").string(), ENOENT);
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "made"));
}

TEST(OpenSerialLine, PseudoTerminalIsRefusedAtOpenForLackOfModemLines)
{
    int master = -1;
    int slave = -1;
    char name[256] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    ::close(slave);
    ExpectOpenFails(name, ENOTTY);
    ::close(master);
}

TEST(IoPort, MissingDeviceMakesEveryWriteFailWithTheLibraryMessage)
{
    for (const char* device : {"/nonexistent/port", "/"}) { // missing, and not writable as a file
        const std::unique_ptr<IoPort> port = OpenIoPort(device);
        EXPECT_FALSE(port->Loaded());
        for (int tick = 0; tick < 3; ++tick) {
            try {
                port->Out32(888, 255);
                ADD_FAILURE() << "write succeeded";
            } catch (const std::runtime_error& error) {
                EXPECT_STREQ(error.what(), "inpout dll failed to load");
            }
        }
    }
    if (!std::filesystem::exists("/dev/port")) {
        EXPECT_FALSE(OpenIoPort()->Loaded());
    }
}

TEST(IoPort, WritesTheLowByteAtTheAddressOffset)
{
    testsupport::TempFolder folder;
    const std::filesystem::path device = folder.Path() / "port";
    std::ofstream(device) << std::string(1024, '\x11');
    {
        const std::unique_ptr<IoPort> port = OpenIoPort(device);
        ASSERT_TRUE(port->Loaded());
        port->Out32(0x378, 0x1F0); // only 0xF0 reaches the port
        port->Out32(0x379, 0x0F);
        port->Out32(0x378, 0x00FF);
    }
    std::ifstream in(device, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 1024u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0x378]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0x379]), 0x0F);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0x377]), 0x11);
}

} // namespace
} // namespace ondrix::platform
