// Feeds untrusted bytes to every reader of the rules: received result blocks,
// table-information and win records, plays, and the host's user records.
#include "game/rules/GameTable.h"
#include "game/rules/PlDkRecords.h"
#include "game/rules/PlDkTable.h"
#include "platform/ByteReader.h"

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <array>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t selector = data[0];
    std::span<const uint8_t> body(data + 1, size - 1);
    switch (selector % 7) {
    case 0: {
        rules::CGameTable table { rules::TableArgs {} };
        table.StoreResult(rules::GameWinResult {});
        (void)table.ReplayStoredResult(body, nullptr);
        break;
    }
    case 1: {
        rules::TableGameData block;
        (void)rules::ReadTableGameData(body, block);
        break;
    }
    case 2: {
        rules::PlDkGameWinResult win;
        (void)rules::ReadPlDkGameWinResult(body, win);
        break;
    }
    case 3: {
        rules::CardPlay play;
        (void)rules::ReadCardPlay(body, play);
        break;
    }
    case 5: {
        // A received play and a selection checked and searched by the rules.
        rules::CPlDkTable table((selector >> 3) & 1);
        rules::CardPlay last;
        if (!rules::ReadCardPlay(body, last))
            break;
        rules::CardPlayList list;
        (void)table.AnalyseCards(0, last.cards, list, last.type);
        (void)table.PickBeatingCandidate(last, list);
        (void)table.PickLeadCandidate(list);
        std::array<int32_t, 16> counters {};
        int32_t wild = 0;
        table.CountValues(last.cards, counters, wild);
        rules::CardPlay play = last;
        for (int step = 0; step < 100 && table.FindBomb(last.cards, counters, wild, play, 0); ++step) { }
        play = last;
        for (int step = 0; step < 100 && table.FindTripleSeqPairs(last.cards, counters, wild, play, 2); ++step) { }
        play = last;
        (void)table.FindStraightFlush(last.cards, play, 5);
        (void)table.FindMixed510K(last.cards, counters, play);
        break;
    }
    case 6: {
        // A throw request against a dealt table.
        rules::CPlDkTable table((selector >> 3) & 1);
        for (int c = 0; c < 4; ++c) {
            auto p = std::make_unique<rules::TablePlayer>();
            p->user_id = c + 1;
            p->chair = c;
            table.AddPlayer(std::move(p));
        }
        rules::StartGameArgs args;
        args.round.min_score = -1;
        args.round.max_score = 1;
        args.max_games = 9;
        args.max_rounds = 9;
        int chair = 0;
        if (table.StartGame(chair, args) != rules::START_OK)
            break;
        table.BeginPlayPhase();
        platform::CByteReader in(body);
        rules::ThrowRequest request;
        request.chair = in.ReadI32();
        if (!rules::ReadCardPlay(body.subspan(std::min<size_t>(4, body.size())), request.play))
            break;
        if (table.IsValidThrow(request)) {
            table.ApplyThrow(request);
            (void)table.AfterThrow(request);
        }
        rules::PassRequest pass;
        pass.chair = request.chair;
        (void)table.OnPass(pass);
        break;
    }
    default: {
        rules::CGameTable table { rules::TableArgs { .chair_count = (selector >> 3) % 9 } };
        std::vector<uint8_t> records(body.begin(), body.end());
        table.MaskOtherPlayers(selector % 8, records);
        table.RememberNames(records);
        break;
    }
    }
    return 0;
}
