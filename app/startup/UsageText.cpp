#include "app/startup/UsageText.h"

namespace ondrix::app {

std::string UsageText(const std::string& programFileName)
{
    return "Usage: " + programFileName +
           " [\"/record=wavfile\"] [/sine] [/square] [/triangle] [/sawtooth] [/noise] "
           "[/autoquit=miliseconds] [/duration=millisecond] [/io=ioaddress] [/com=COMPort] [/rts=freq] "
           "[/dtr=freq] [/iomask=number] [/iofreq=freq] [/amp=percentage] [/audiofreq=freq] "
           "[/atom[=globalAtom#] [/hide] [/nobackupvoltage] [/rms] [/peak] [/pp] [/vout=rmsvoltage] "
           "[/closevol=percentage]\n"
           "\n"
           "NOTE /rts and /dtr switches needed with the /com switch\n"
           "/atom waits for a atom created by Win32 API GlobalAddAtom to be deleted before it automatically "
           "quits.\n"
           "If /atom doesn't include the = symbol just /atom all existing atoms used with Ondrix will be "
           "deleted.\n"
           "Press enter to close this console...";
}

} // namespace ondrix::app
