// Forward declarations of the network library's types, for headers that only
// pass them along.
#pragma once

namespace net {

class CAesCipher;
class CBase64;
class CByteBuffer;
class CFrameAssembler;
class CPacketCodec;
class CPacketCrypt;
class CPacketZip;
class CPeerRecord;
class CProxySocket;
class CProxySocketBase;
class CSocketClient;
struct CodecSettings;
struct CommMessage;
struct ConnRecord;
struct FtpUploadJob;
struct PacketHeader;
struct RequestRecord;

} // namespace net
