// CCardGameConnection: the card-game layer of the game-server connection. It
// adds the card-game requests (ids above 220000) with their 5 s time-out, the
// game-data request with its CardGameRequestHeader, and logs every card-game
// request that waited and failed. CPlDkConnection is this game's class.
// Owner: the application. Thread: UI thread (as CGameConnection).
#pragma once

#include "client/CGameConnection.h"

namespace client {

inline constexpr uint32_t GR_THROW_CARDS = 221080;
inline constexpr uint32_t GR_ID_221070 = 221070;
inline constexpr uint32_t GR_PASS = 223000;
inline constexpr uint32_t GR_GAME_DATA = 229500;
inline constexpr uint32_t GR_SEND_GAME_DATA = 229510;
inline constexpr uint32_t GR_ASK_LOOK_CARD = 229550;
/// The answer code of a card-game request that could not be sent.
inline constexpr int32_t GR_CARD_REQUEST_NOT_SENT = 10100;
inline constexpr uint32_t CARD_GAME_REQUEST_FIRST = 220001;
inline constexpr uint32_t CARD_GAME_REQUEST_TIMEOUT_S = 5;
inline constexpr size_t CARD_GAME_HEADER_BYTES = 20;
inline constexpr size_t PASS_RECORD_BYTES = 56;

/// The card-game requests the table scene sends.
class ICardGameRequests {
public:
    virtual ~ICardGameRequests() = default;
    [[nodiscard]] virtual int AskLookCard() = 0;
    /// The play record: 16 words whose word 15 counts the card ids after
    /// them. The answer code, or GR_CARD_REQUEST_NOT_SENT.
    [[nodiscard]] virtual int32_t ThrowCards(std::string& error, std::span<const uint8_t> play_record) = 0;
    /// The 56-byte pass record. The answer code, or GR_CARD_REQUEST_NOT_SENT.
    [[nodiscard]] virtual int32_t Pass(std::string& error, std::span<const uint8_t, PASS_RECORD_BYTES> pass_record) = 0;
    [[nodiscard]] virtual int Request221070(int32_t first, int32_t second) = 0;
    /// Game data (request 229510): the header (room id, own user id, sub-id,
    /// 0, length) and the data. The answer code (0 without waiting), or
    /// GR_CARD_REQUEST_NOT_SENT.
    virtual int32_t SendGameRequest(int32_t sub_id, std::span<const uint8_t> data, RequestWait wait) = 0;
    /// As SendGameRequest, waiting, handing out the answer's body; empty and
    /// GR_CARD_REQUEST_NOT_SENT when it could not be sent.
    virtual std::vector<uint8_t> QueryGameRequest(int32_t sub_id, std::span<const uint8_t> data, int32_t& code) = 0;
};

class CCardGameConnection : public CGameConnection, public ICardGameRequests {
public:
    using CGameConnection::CGameConnection;

    [[nodiscard]] int SendRequest(std::string& error, uint32_t request_id, std::span<const uint8_t> data,
                                  RequestAnswer& answer, RequestWait wait) override;
    [[nodiscard]] uint32_t GetRequestTimeout(uint32_t request_id) const override;
    [[nodiscard]] ICardGameRequests* GetCardGameRequests() override { return this; }

    [[nodiscard]] int AskLookCard() override;
    [[nodiscard]] int32_t ThrowCards(std::string& error, std::span<const uint8_t> play_record) override;
    [[nodiscard]] int32_t Pass(std::string& error, std::span<const uint8_t, PASS_RECORD_BYTES> pass_record) override;
    [[nodiscard]] int Request221070(int32_t first, int32_t second) override;
    int32_t SendGameRequest(int32_t sub_id, std::span<const uint8_t> data, RequestWait wait) override;
    std::vector<uint8_t> QueryGameRequest(int32_t sub_id, std::span<const uint8_t> data, int32_t& code) override;

protected:
    [[nodiscard]] int32_t BadMessageSubId(uint32_t message_id, std::span<const uint8_t> data) const override;
    [[nodiscard]] CRequestBody GameRequestBody(int32_t sub_id, std::span<const uint8_t> data) const;
    /// The card-game layer's request call, shared by this game's class.
    int SendCardRequest(std::string& error, uint32_t request_id, std::span<const uint8_t> data,
                        RequestAnswer& answer, RequestWait wait, uint32_t first_card_request);
};

/// This game's connection: the card-game layer, whose request call it
/// repeats for ids from 220001 on.
class CPlDkConnection final : public CCardGameConnection {
public:
    using CCardGameConnection::CCardGameConnection;
    ~CPlDkConnection() override { Close(); }

    [[nodiscard]] int SendRequest(std::string& error, uint32_t request_id, std::span<const uint8_t> data,
                                  RequestAnswer& answer, RequestWait wait) override
    {
        return SendCardRequest(error, request_id, data, answer, wait, CARD_GAME_REQUEST_FIRST);
    }
};

} // namespace client
