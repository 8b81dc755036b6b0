#pragma once
// How a status text reads: a failure shows in red, a command that went well in the
// window's text colour. Logic of every room reports with it.

namespace korvo {

enum class StatusKind { Failure, Success };

}  // namespace korvo
