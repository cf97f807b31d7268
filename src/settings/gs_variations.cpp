// Generated from the variation tone list; edit with care: some names hold
// the ideographic space U+3000.
#include "settings/gs_variations.h"

#include <algorithm>
#include <iterator>

namespace poronka {
namespace {

const char* const kInstrumentNames[kInstrumentCount] = {
    "グランドピアノ",  // 0
    "ブライトピアノ",  // 1
    "エレクトリックグランドピアノ",  // 2
    "ホンキートンクピアノ",  // 3
    "エレクトリックピアノ１",  // 4
    "エレクトリックピアノ２",  // 5
    "ハープシコード",  // 6
    "グラビコード",  // 7
    "チェレスタ",  // 8
    "グロッケン",  // 9
    "オルゴール",  // 10
    "ビブラフォン",  // 11
    "マリンバ",  // 12
    "シロホン",  // 13
    "チューブラベル",  // 14
    "ダルシマー",  // 15
    "ドローバオルガン",  // 16
    "パーカッシブオルガン",  // 17
    "ロックオルガン",  // 18
    "チャーチオルガン",  // 19
    "リードオルガン",  // 20
    "アコーディオン",  // 21
    "ハーモニカ",  // 22
    "バンドネオン",  // 23
    "ナイロンギター",  // 24
    "スチールギター",  // 25
    "ジャズエレキ",  // 26
    "クリーンエレキ",  // 27
    "ミュートエレキ",  // 28
    "オーバードライブギター",  // 29
    "ディストーションギター",  // 30
    "ギターハーモニクス",  // 31
    "ベース",  // 32
    "フィンガーベース",  // 33
    "ピックベース",  // 34
    "フレットレスベース",  // 35
    "スラップベース１",  // 36
    "スラップベース２",  // 37
    "シンセベース１",  // 38
    "シンセベース２",  // 39
    "バイオリン",  // 40
    "ビオラ",  // 41
    "チェロ",  // 42
    "コントラバス",  // 43
    "トレモロストリングス",  // 44
    "ピチカートストリングス",  // 45
    "ハープ",  // 46
    "ティンパニ",  // 47
    "ストリングス",  // 48
    "スローストリングス",  // 49
    "シンセストリングス１",  // 50
    "シンセストリングス２",  // 51
    "ボイス（アー）",  // 52
    "ボイス（ウー）",  // 53
    "シンセボイス",  // 54
    "オーケストラヒット",  // 55
    "トランペット",  // 56
    "トロンボーン",  // 57
    "チューバ",  // 58
    "ミュートトランペット",  // 59
    "フレンチホルン",  // 60
    "ブラスセクション",  // 61
    "シンセブラス１",  // 62
    "シンセブラス２",  // 63
    "ソプラノサックス",  // 64
    "アルトサックス",  // 65
    "テナーサックス",  // 66
    "バリトンサックス",  // 67
    "オーボエ",  // 68
    "イングリッシュホルン",  // 69
    "バスーン",  // 70
    "クラリネット",  // 71
    "ピッコロ",  // 72
    "フルート",  // 73
    "リコーダー",  // 74
    "パンフルート",  // 75
    "ボトルブロー",  // 76
    "尺八",  // 77
    "口笛",  // 78
    "オカリナ",  // 79
    "方形波",  // 80
    "鋸波",  // 81
    "蒸気オルガン",  // 82
    "チフ",  // 83
    "チャランゴ",  // 84
    "ボイス",  // 85
    "５度鋸波",  // 86
    "ベース＆リード",  // 87
    "ニューエイジ",  // 88
    "ウォームパッド",  // 89
    "ポリシンセ",  // 90
    "クワイア",  // 91
    "ボウドグラス",  // 92
    "メタルパッド",  // 93
    "ハローパッド",  // 94
    "スウィープパッド",  // 95
    "雨",  // 96
    "サウンドトラック",  // 97
    "クリスタル",  // 98
    "アトモスフェア",  // 99
    "ブライトネス",  // 100
    "ゴブリン",  // 101
    "エコードロップ",  // 102
    "スター",  // 103
    "シタール",  // 104
    "バンジョー",  // 105
    "三味線",  // 106
    "琴",  // 107
    "カリンバ",  // 108
    "バグパイプ",  // 109
    "フィドル",  // 110
    "シャナイ",  // 111
    "ティンカベル",  // 112
    "アゴゴ",  // 113
    "スチールドラム",  // 114
};

const char* const kVariations0[] = {"00グランドピアノ", "08ピアノ１Ｗ", "16ピアノ１Ｄ"};
const char* const kVariations1[] = {"00ブライトピアノ", "08ピアノ２Ｗ"};
const char* const kVariations2[] = {"00エレクトリックグランドピアノ", "01ＥＧ＋ローデス１", "02ＥＧ＋ローデス２", "08ピアノ３Ｗ"};
const char* const kVariations3[] = {"00ホンキートンクピアノ", "08オールドアップライト"};
const char* const kVariations4[] = {"00エレクトリックピアノ１", "08ＳｔソフトＥＰ", "16ＦＭ＋ＳＡ　ＥＰ", "24６０年代Ｅピアノ", "25ハードローデス", "26メロウローデス"};
const char* const kVariations5[] = {"00エレクトリックピアノ２", "08デチューンドＥＰ２", "16Ｓｔ ＦＭ ＥＰ", "24ハードＦＭＥＰ"};
const char* const kVariations6[] = {"00ハープシコード", "08カップルドハープシコード", "16ハープシコードＷ", "24ハープシコードＯ"};
const char* const kVariations11[] = {"00ビブラフォン", "01ハードビブラフォン", "08ビブラフォンＷ"};
const char* const kVariations12[] = {"00マリンバ", "08マリンバＷ", "16バラフォン", "17バラフォン２", "24ログドラム"};
const char* const kVariations14[] = {"00チューブラベル", "08チャーチベル", "09カリヨン"};
const char* const kVariations15[] = {"00ダルシマー", "01ダルシマー２", "08シンバロム"};
const char* const kVariations16[] = {"00ドローバオルガン", "01ドローバオルガン２", "08デチューンドオルガン", "09ドローバオルガン３", "16６０年代オルガン１", "17６０年代オルガン２", "18６０年代オルガン３", "24チーズオルガン", "32オルガン４", "33イーブン バー", "40オルガンバス"};
const char* const kVariations17[] = {"00パーカッシブオルガン", "01パーカッシブオルガン２", "08デチューンドＰオルガン", "32オルガン５"};
const char* const kVariations18[] = {"00ロックオルガン", "08ロータリーオルガン", "16ロータリーオルガンＳ", "24ロータリーオルガンＦ"};
const char* const kVariations19[] = {"00チャーチオルガン", "08チャーチオルガン２", "16チャーチオルガン３", "24オルガンフルート", "32トリムフルート"};
const char* const kVariations21[] = {"00アコーディオン", "08イタリアンアコーディオン"};
const char* const kVariations22[] = {"00ハーモニカ", "01ハーモニカ２"};
const char* const kVariations24[] = {"00ナイロンギター", "08ウクレレ", "16ナイロンギターｏ", "24ベロハーモニックス", "32ナイロンギター２", "40レキントギター"};
const char* const kVariations25[] = {"00スチールギター", "08１２弦ギター", "09ナイロン+スチールギター", "16マンドリン", "32スチールギター２"};
const char* const kVariations26[] = {"00ジャズエレキ", "01メロウギター", "08ペダルスチール"};
const char* const kVariations27[] = {"00クリーンエレキ", "08コーラスギター"};
const char* const kVariations28[] = {"00ミュートエレキ", "01ミュートディストーションギター", "08ファンクポップ", "16ファンクギター"};
const char* const kVariations30[] = {"00ディストーションギター", "01ティストーションギター２", "02デーズギター", "08フィードバックギター", "09フィードバックギター２", "16パワーギター", "17パワーギター２", "18フィフスディストーション", "24ロックリズム", "25ロックリズム２"};
const char* const kVariations31[] = {"00ギターハーモニクス", "08ギターフィードバック", "16アコースティックギターハーモニクス"};
const char* const kVariations33[] = {"00フィンガーベース", "01フィンガーベース２", "02ジャズベース"};
const char* const kVariations34[] = {"00ピックベース", "08ミュートピックベース"};
const char* const kVariations35[] = {"00フレットレスベース", "01フレットレスベース２", "02フレットレスベース３", "03フレットレスベース４", "04シンセフレットレス", "05Ｍｒ．スムース"};
const char* const kVariations36[] = {"00スラップベース１", "08レゾスラップベース"};
const char* const kVariations38[] = {"00シンセベース１", "01シンセベース１－１", "08アシッドベース", "09ＴＢ３０３ベース", "10テクノベース", "16レゾＳＨベース"};
const char* const kVariations39[] = {"00シンセベース２", "01シンセベース２－１", "02モジュラーベース", "03シーケンスベース", "08ビーフＦＭベース", "09Ｘワイヤーベース", "16ラバーベース", "17ＳＨ１０１ベース１", "18Ｈ１０１ベース２", "19スムースベース"};
const char* const kVariations40[] = {"00バイオリン", "08スローバイオリン"};
const char* const kVariations44[] = {"00トレモロストリングス", "08スロートレモロストリング", "09サスペンスストリングス"};
const char* const kVariations48[] = {"00ストリングス", "01ストリングス２", "08オーケストラ", "09オーケストラ２", "10トレモロオーケストラ", "11コーラスストリングス", "16Ｓｔストリングス", "24ベロストリングス"};
const char* const kVariations49[] = {"00スローストリングス", "01スローストリングス２", "08レガートストリングス", "09ワームストリングス", "10Ｓｔスローストリングス"};
const char* const kVariations50[] = {"00シンセストリングス１", "01ＯＢストリングス", "08シンセストリングス３"};
const char* const kVariations52[] = {"00ボイス（アー）", "08Ｓｔコーラス", "09メロウコーラス", "32ボイス（アー）２"};
const char* const kVariations54[] = {"00シンセボイス", "08シンセボイス２"};
const char* const kVariations55[] = {"00オーケストラヒット", "08インパクトヒット", "09フィリィヒット", "10ダブルヒット", "16ＬｏＦｉレーブ"};
const char* const kVariations56[] = {"00トランペット", "01トランペット２", "08フルーゲルホーン", "24ブライトトランペット", "25ウォームトランペット"};
const char* const kVariations57[] = {"00トロンボーン", "01トロンボーン２"};
const char* const kVariations58[] = {"00チューバ", "01チューバ２"};
const char* const kVariations60[] = {"00フレンチホルン", "01フレンチホルン２", "08フレンチホルンソロ", "16ホルンオーケストラ"};
const char* const kVariations61[] = {"00ブラスセクション", "08ブラス２", "16ブラスフォール"};
const char* const kVariations62[] = {"00シンセブラス１", "01ポリブラス", "08シンセブラス３", "09カックブラス", "16オクターブブラス"};
const char* const kVariations63[] = {"00シンセブラス２", "01ソフトブラス", "08シンセブラス４", "16ベロブラス１", "17ベロブラス２"};
const char* const kVariations65[] = {"00アルトサックス", "08ハイパーアルト"};
const char* const kVariations66[] = {"00テナーサックス", "08ブレシーテナーサックス"};
const char* const kVariations71[] = {"00クラリネット", "08バスクラリネット"};
const char* const kVariations75[] = {"00パンフルート", "08カワラ"};
const char* const kVariations80[] = {"00方形波", "01方形", "02ホローミニ", "03メロウＦＭ", "04ＣＣソロ", "05Ｓｈｍｏｏｇ", "06ＬＭ方形波", "08サイン波"};
const char* const kVariations81[] = {"00鋸波", "01鋸", "02パルス鋸波", "03フェリンＧＲ", "04ビッグリード", "05ベロリード", "06ＧＲ－３００", "07ＬＡ鋸波", "08ドクターソロ", "16ワスピーシンセ"};
const char* const kVariations82[] = {"00蒸気オルガン", "01ベントシンセ", "02ビュアパンリード"};
const char* const kVariations84[] = {"00チャランゴ", "08Ｄｉｓｔ．リード"};
const char* const kVariations86[] = {"00５度鋸波", "08ビッグファイブ"};
const char* const kVariations87[] = {"00ベース＆リード", "01ビッグ＆ロウ", "02ファット＆パーキー"};
const char* const kVariations88[] = {"00ファンタジア", "01ファンタジア２"};
const char* const kVariations89[] = {"00ウォームパッド", "01シックパッド", "02ホーンパッド", "03ロータリースタング", "04ソフトパッド"};
const char* const kVariations90[] = {"00ポリシンセ", "01８０'s　ポリシンセ"};
const char* const kVariations91[] = {"00スペースボイス", "01ヘブン"};
const char* const kVariations93[] = {"00メタルパッド", "01チンパッド", "02パナーパッド"};
const char* const kVariations95[] = {"00スウィープパッド", "01ポーラーパッド", "08コンバージュ", "09シュイマー", "10セレスシャルパッド"};
const char* const kVariations96[] = {"00アイスレイン", "01ハーモレイン", "02アフリカンウッド", "08クラビパッド"};
const char* const kVariations97[] = {"00サウンドトラック", "01アンセストラル", "02プロローグ", "08レーブ"};
const char* const kVariations98[] = {"00クリスタル", "01シンセマレット", "02ソフトクリスタル", "03ラウンドグロッケン", "04ラウドグロッケン", "05グロッケンチム", "06クリアベル", "07クリスマスベル", "08ビブラベル", "09デジベル", "16コーラルベル", "17エアーベル", "18ベルハープ", "19ガメリンバ"};
const char* const kVariations99[] = {"00アトモスフェア", "01ウォームアトモス", "02ナイロンハープ", "03ハープボックス", "04ホローリリース", "05ナイロン＋ロードス", "06アンビエントパッド"};
const char* const kVariations101[] = {"00ゴブリン", "01ゴブリンソン", "02５０'S Ｓｃｉ-Ｆｉ"};
const char* const kVariations102[] = {"00エコードロップ", "01エコーベル", "02エコーパン", "03エコーパン２", "04ビッグパナー", "05レゾパナー", "06ウォーターピアノ"};
const char* const kVariations103[] = {"00スター", "01スターテーマ２"};
const char* const kVariations104[] = {"00シタール", "01シタール２", "02デチューンシタール", "08タンブラ", "16タンブーラ"};
const char* const kVariations105[] = {"00バンジョー", "01ミューテッドバンジョー", "08ラバブ", "16ゴピチャント", "24オウド"};
const char* const kVariations106[] = {"00三味線", "01津軽三味線"};
const char* const kVariations107[] = {"00琴", "08大正琴", "16カノン"};
const char* const kVariations111[] = {"00シャナイ", "01シャナイ２", "08パンギ", "16ひちりき"};
const char* const kVariations112[] = {"00ティンカベル", "08ボナン", "09ジェンダー", "10ガメランゴング", "11Ｓｔ．ガメラン", "16ＲＡＭＡシンバル"};
const char* const kVariations113[] = {"00アゴゴ", "08アタリガン"};

struct ProgramVariations {
  int program;
  const char* const* entries;
  int count;
};

const ProgramVariations kTable[] = {
    {0, kVariations0, 3},
    {1, kVariations1, 2},
    {2, kVariations2, 4},
    {3, kVariations3, 2},
    {4, kVariations4, 6},
    {5, kVariations5, 4},
    {6, kVariations6, 4},
    {11, kVariations11, 3},
    {12, kVariations12, 5},
    {14, kVariations14, 3},
    {15, kVariations15, 3},
    {16, kVariations16, 11},
    {17, kVariations17, 4},
    {18, kVariations18, 4},
    {19, kVariations19, 5},
    {21, kVariations21, 2},
    {22, kVariations22, 2},
    {24, kVariations24, 6},
    {25, kVariations25, 5},
    {26, kVariations26, 3},
    {27, kVariations27, 2},
    {28, kVariations28, 4},
    {30, kVariations30, 10},
    {31, kVariations31, 3},
    {33, kVariations33, 3},
    {34, kVariations34, 2},
    {35, kVariations35, 6},
    {36, kVariations36, 2},
    {38, kVariations38, 6},
    {39, kVariations39, 10},
    {40, kVariations40, 2},
    {44, kVariations44, 3},
    {48, kVariations48, 8},
    {49, kVariations49, 5},
    {50, kVariations50, 3},
    {52, kVariations52, 4},
    {54, kVariations54, 2},
    {55, kVariations55, 5},
    {56, kVariations56, 5},
    {57, kVariations57, 2},
    {58, kVariations58, 2},
    {60, kVariations60, 4},
    {61, kVariations61, 3},
    {62, kVariations62, 5},
    {63, kVariations63, 5},
    {65, kVariations65, 2},
    {66, kVariations66, 2},
    {71, kVariations71, 2},
    {75, kVariations75, 2},
    {80, kVariations80, 8},
    {81, kVariations81, 10},
    {82, kVariations82, 3},
    {84, kVariations84, 2},
    {86, kVariations86, 2},
    {87, kVariations87, 3},
    {88, kVariations88, 2},
    {89, kVariations89, 5},
    {90, kVariations90, 2},
    {91, kVariations91, 2},
    {93, kVariations93, 3},
    {95, kVariations95, 5},
    {96, kVariations96, 4},
    {97, kVariations97, 4},
    {98, kVariations98, 14},
    {99, kVariations99, 7},
    {101, kVariations101, 3},
    {102, kVariations102, 7},
    {103, kVariations103, 2},
    {104, kVariations104, 5},
    {105, kVariations105, 5},
    {106, kVariations106, 2},
    {107, kVariations107, 3},
    {111, kVariations111, 4},
    {112, kVariations112, 6},
    {113, kVariations113, 2},
};

}  // namespace

std::string_view InstrumentName(int program) {
  if (program < 0 || program >= kInstrumentCount) return {};
  return kInstrumentNames[program];
}

namespace {
const ProgramVariations* Find(int program) {
  for (const auto& p : kTable)
    if (p.program == program) return &p;
  return nullptr;
}
}  // namespace

std::vector<std::string_view> VariationsOf(int program) {
  std::vector<std::string_view> out;
  if (const ProgramVariations* p = Find(program))
    out.assign(p->entries, p->entries + p->count);
  return out;
}

bool HasVariations(int program) { return Find(program) != nullptr; }

int VariationNumber(std::string_view entry) {
  if (entry.size() < 2) return 0;
  char a = entry[0], b = entry[1];
  if (a < '0' || a > '9' || b < '0' || b > '9') return 0;
  return (a - '0') * 10 + (b - '0');
}

std::string VariationName(std::string_view entry) {
  // Characters, not bytes: skip two code points, then keep up to 30.
  size_t i = 0;
  auto next = [&](size_t pos) {
    unsigned char c = static_cast<unsigned char>(entry[pos]);
    size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    return std::min(entry.size(), pos + len);
  };
  for (int k = 0; k < 2 && i < entry.size(); ++k) i = next(i);
  size_t start = i;
  for (int k = 0; k < 30 && i < entry.size(); ++k) i = next(i);
  return std::string(entry.substr(start, i - start));
}

int VariationProgramCount() { return static_cast<int>(std::size(kTable)); }

int VariationEntryCount() {
  int n = 0;
  for (const auto& p : kTable) n += p.count;
  return n;
}

}  // namespace poronka
