// SDL's video system, started by whichever SDL service needs it first.
#pragma once

namespace kumo::platform {

// True once SDL's video system runs; a failure is reported on standard error.
bool StartSdlVideo();

}  // namespace kumo::platform
