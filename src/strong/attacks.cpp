// Sliding attacks by magic bitboards, and the between and line tables, for the strong board.
#include "strong/attacks.h"

#include <iterator>

namespace strong {

namespace {

// The magic numbers were found once by a search with a fixed seed: sparse
// candidates (the AND of three splitmix64 draws, seed 0x7A5C0FFEE1234567,
// bishops first, square by square) kept when no two occupancies with
// different attack sets share an index at shift 64 - popcount(mask). They
// are kept here so that start-up need not search; a unit test compares
// every lookup with slider_attacks_by_rays. Two lines per rank, rank 8 first.
constexpr Bitboard bishop_magic_numbers[] = {
    0x0008200100410904ull,    0x0004012801011101ull,    0x0008020400280004ull,    0x0102209202010210ull,
    0x8044050482c00001ull,    0x0004412010006c10ull,    0x005d209044200004ull,    0x0202004108a82000ull,
    0x2000848810440080ull,    0x8a201104028c10c4ull,    0x0008880801002600ull,    0x20000c42208080a8ull,
    0x0202141028000809ull,    0x0010020110090040ull,    0x0000008410a21004ull,    0xc004402104022000ull,
    0x0008024090044080ull,    0x0860000908010840ull,    0x013000880880284aull,    0x00242208042100c4ull,
    0x004100f820081091ull,    0x0211000201010100ull,    0x0012080105501211ull,    0x00020080b2940400ull,
    0x1008400004040800ull,    0x4035210848284100ull,    0x2210900020410020ull,    0x4012040088040848ull,
    0x80c2002002008040ull,    0xc01a420001008260ull,    0x4008008018524801ull,    0x0001003001040100ull,
    0x2804104002040400ull,    0x0009180200891000ull,    0x211600900c020520ull,    0x0282200800050104ull,
    0x0044040400201010ull,    0x1004181020020084ull,    0x201000920000a210ull,    0x680c188888020341ull,
    0x08008210c0041080ull,    0x0002080403010400ull,    0x000104c026001008ull,    0x0000212018000100ull,
    0x0040488100428400ull,    0x0001500104410201ull,    0x0008010404200080ull,    0x0010110041000489ull,
    0x0000841068050088ull,    0x852780440a600641ull,    0x028d124404440042ull,    0x04a060020a020012ull,
    0x00800040904d0001ull,    0x0080400488009010ull,    0x0008c20828010004ull,    0x121e12040c108013ull,
    0x00c0208410080202ull,    0x0110220486480244ull,    0x082020028400a200ull,    0x0000018020840412ull,
    0xa000004004104401ull,    0x0475241220050909ull,    0x00104102a4041090ull,    0x0058120408012100ull,
};
static_assert(std::size(bishop_magic_numbers) == 64);

constexpr Bitboard rook_magic_numbers[] = {
    0x8080104000208000ull,    0x00c020004000d001ull,    0x0100090014200040ull,    0x1080040800100082ull,
    0x0a00042002001008ull,    0x2480020080014400ull,    0x2180048005000200ull,    0x0600009400410022ull,
    0x90a2800440023480ull,    0x3930400020100040ull,    0x1011002001044010ull,    0x0002000a00204010ull,
    0x0400800800800400ull,    0x000e001008040200ull,    0x2114004102081004ull,    0x0251000220489100ull,
    0x0425208001c00980ull,    0x401000c000402001ull,    0x0a00848020001000ull,    0x0e01010010000820ull,
    0x0288004004004200ull,    0x0014004002010040ull,    0x2008040018026910ull,    0x02082200058c0241ull,
    0x8680004040002008ull,    0x0020200080400080ull,    0x8120001010040200ull,    0x0101000900201000ull,
    0x0004000480080081ull,    0x0003000900420400ull,    0x0002005200110488ull,    0xc030204200008104ull,
    0x2000800041002100ull,    0x0040200044401000ull,    0x8400200080801000ull,    0x1000a80081803001ull,
    0x0200800800800401ull,    0x0108800400800200ull,    0x1020020804000110ull,    0x0402008842000421ull,
    0x0054248040008002ull,    0x0010005020004000ull,    0x1142008040120020ull,    0x0310000c11010020ull,
    0x0188002040040400ull,    0x0402000204008080ull,    0x0012000104020008ull,    0x0010008041020004ull,
    0x20800040006002c0ull,    0x08808e0420410200ull,    0x0100208208401200ull,    0x0041041000200900ull,
    0x8200080100100500ull,    0x0001001204002900ull,    0x0008081041020400ull,    0x0008209504104600ull,
    0x0080008010204101ull,    0x0024820010430222ull,    0x0426000840201082ull,    0x208500a090000509ull,
    0x0282000408102002ull,    0x3202000850244122ull,    0x000001081000a204ull,    0x0450040080210042ull,
};
static_assert(std::size(rook_magic_numbers) == 64);

// Table sizes: the sum over squares of 2^popcount(mask).
constexpr int BISHOP_TABLE_SIZE = 5248;
constexpr int ROOK_TABLE_SIZE = 102400;

Bitboard bishop_table[BISHOP_TABLE_SIZE];
Bitboard rook_table[ROOK_TABLE_SIZE];

// The rays of s without their edge squares.
Bitboard relevant_mask(int s, const int (&directions)[4]) {
    Bitboard mask = 0;
    for (int d : directions) {
        const Bitboard r = ray[s][d];
        if (!r) continue;
        const int edge = direction_descends(d) ? lowest_square(r) : highest_square(r);
        mask |= r & ~square_bit(edge);
    }
    return mask;
}

// Fills one piece's magics and table: every subset of each mask (by the
// carry-rippler walk) gets its attack set at its magic index.
void fill(Magic* magics, Bitboard* table, const Bitboard* numbers, const int (&directions)[4], bool diagonal) {
    Bitboard* next = table;
    for (int s = 0; s < 64; ++s) {
        Magic& m = magics[s];
        m.mask = relevant_mask(s, directions);
        m.magic = numbers[s];
        m.shift = 64 - __builtin_popcountll(m.mask);
        Bitboard subset = 0;
        do {
            next[(subset * m.magic) >> m.shift] = slider_attacks_by_rays(s, subset, diagonal);
            subset = (subset - m.mask) & m.mask;
        } while (subset);
        m.attacks = next;
        next += Bitboard{1} << (64 - m.shift);
    }
}

void fill_tables() {
    fill(bishop_magics, bishop_table, bishop_magic_numbers, bishop_directions, true);
    fill(rook_magics, rook_table, rook_magic_numbers, rook_directions, false);
    assert(bishop_magics[63].attacks + (Bitboard{1} << (64 - bishop_magics[63].shift)) == bishop_table + BISHOP_TABLE_SIZE);
    assert(rook_magics[63].attacks + (Bitboard{1} << (64 - rook_magics[63].shift)) == rook_table + ROOK_TABLE_SIZE);
}

}  // namespace

alignas(64) Magic bishop_magics[64];
alignas(64) Magic rook_magics[64];

Bitboard slider_attacks_by_rays(int s, Bitboard occupied, bool diagonal) {
    Bitboard attacks = 0;
    for (int d : diagonal ? bishop_directions : rook_directions) {
        const Bitboard r = ray[s][d];
        const Bitboard blockers = r & occupied;
        attacks |= blockers ? r & ~ray[first_blocker(blockers, d)][d] : r;
    }
    return attacks;
}

void init_strong() {
    // A function-local static is initialised exactly once, and other
    // threads that arrive meanwhile wait for it.
    static const bool filled = (fill_tables(), true);
    (void)filled;
}

}  // namespace strong
