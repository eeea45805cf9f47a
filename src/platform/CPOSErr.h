// System error codes of the file and memory layers. The values are those the
// rest of the system has always seen, so that messages and stored error codes
// keep their meaning; POSIX errors are mapped onto them in CPFile.cpp.
#ifndef VYX_PLATFORM_CPOSERR_H_
#define VYX_PLATFORM_CPOSERR_H_

#include "platform/CPMacTypes.h"

constexpr OSErr noErr = 0;
constexpr OSErr dirFulErr = -33;
constexpr OSErr dskFulErr = -34;
constexpr OSErr nsvErr = -35;
constexpr OSErr ioErr = -36;
constexpr OSErr bdNamErr = -37;
constexpr OSErr fnOpnErr = -38;
constexpr OSErr eofErr = -39;
constexpr OSErr posErr = -40;
constexpr OSErr tmfoErr = -42;
constexpr OSErr fnfErr = -43;
constexpr OSErr wPrErr = -44;
constexpr OSErr fLckdErr = -45;
constexpr OSErr vLckdErr = -46;
constexpr OSErr fBsyErr = -47;
constexpr OSErr dupFNErr = -48;
constexpr OSErr opWrErr = -49;
constexpr OSErr paramErr = -50;
constexpr OSErr rfNumErr = -51;
constexpr OSErr permErr = -54;
constexpr OSErr wrPermErr = -61;
constexpr OSErr dirNFErr = -120;
constexpr OSErr notAFileErr = -1302;  // a directory where a file was expected
constexpr OSErr memFullErr = -108;
constexpr OSErr userCanceledErr = -128;
// A file that would pass the size the system lets this process write (EFBIG).
constexpr OSErr fsDataTooBigErr = -1310;

#endif  // VYX_PLATFORM_CPOSERR_H_
