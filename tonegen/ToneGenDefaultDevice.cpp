// Kept apart from the rest of the component so that programs which never play
// through the process-wide device do not link (and load) the sound server's
// client library.
#include "platform/SoundDevice.h"
#include "tonegen/ToneGen.h"

namespace ondrix::tonegen {

TToneGen::TToneGen() : TToneGen(platform::DefaultSoundDevice()) {}

} // namespace ondrix::tonegen
