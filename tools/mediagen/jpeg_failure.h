#pragma once

// libjpeg's errors, turned into a jump back to the caller's setjmp with the message kept: its
// default handler ends the process.
#include <cstdio>

#include <jpeglib.h>

#include <csetjmp>

namespace mg {

struct JpegFailure {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  char msg[JMSG_LENGTH_MAX];
};

// An error_exit for a jpeg_error_mgr that is the `mgr` of a JpegFailure.
inline void JpegFail(j_common_ptr info) {
  auto* failure = reinterpret_cast<JpegFailure*>(info->err);
  (*info->err->format_message)(info, failure->msg);
  std::longjmp(failure->jump, 1);
}

}  // namespace mg
