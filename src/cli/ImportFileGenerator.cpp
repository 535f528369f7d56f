#include "cli/ImportFileGenerator.h"

#include "foundation/SafeFile.h"
#include "scoring/Tiss28Items.h"
#include "scoring/Tiss28Score.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <optional>
#include <random>
#include <stdexcept>
#include <string_view>

namespace kalmora::cli {

namespace {

constexpr std::int64_t kMinutesPerDay = 24 * 60;
constexpr std::uint64_t kMaxSumRecordCount = 999999;
constexpr std::size_t kSumRecordCounts = 4;

// How often an item is documented on a survey day, in thousandths: Base, plus PerSeverity
// thousandths of the patient's severity (0 to 999). In the order of the items in a record.
struct ItemChance {
    std::string_view Column;
    int Base;
    int PerSeverity;
};

constexpr std::array<ItemChance, 28> kItemChances{{
    {"T28_STAND_MON", 995, 0},    {"T28_LAB", 900, 0},       {"T28_S_MED", 350, 0},      {"T28_M_MED", 300, 333},
    {"T28_R_DRESS", 600, 0},      {"T28_F_DRESS", 100, 300}, {"T28_DRAIN", 150, 300},    {"T28_MECH_VENT", 100, 600},
    {"T28_SUPP_VENT", 250, 0},    {"T28_TUBUS", 30, 0},      {"T28_LUNG", 400, 0},       {"T28_S_VASODR", 150, 0},
    {"T28_M_VASODR", 50, 400},    {"T28_L_FLUID", 20, 100},  {"T28_ART", 300, 500},      {"T28_PCL", 10, 80},
    {"T28_CVL", 400, 400},        {"T28_CPR", 5, 20},        {"T28_RENAL", 20, 150},     {"T28_URINARY", 700, 0},
    {"T28_ACT_DIU", 200, 200},    {"T28_ICP", 10, 40},       {"T28_MET_SUPP", 100, 200}, {"T28_NUT_ENT", 200, 300},
    {"T28_NUT_PARENT", 100, 200}, {"T28_S_INT", 150, 150},   {"T28_M_INT", 30, 100},     {"T28_DIAG_EX_ICU", 100, 100},
}};

consteval bool ChancesFollowTheItems()
{
    for (std::size_t i = 0; i < kItemChances.size(); ++i) {
        if (kItemChances[i].Column != kTiss28Items[i].Column) return false;
    }
    return true;
}
static_assert(ChancesFollowTheItems());

consteval std::size_t ItemIndex(std::string_view column)
{
    std::size_t i = 0;
    while (kTiss28Items[i].Column != column) ++i;
    return i;
}

// Tube care goes with mechanical ventilation.
constexpr std::size_t kMechanicalVentilation = ItemIndex("T28_MECH_VENT");
constexpr std::size_t kTubeCare = ItemIndex("T28_TUBUS");

// The other item of an item's pair of items that exclude each other.
std::size_t PartnerOf(std::size_t index)
{
    for (std::size_t i = 0; i < kTiss28Items.size(); ++i) {
        if (i != index && kTiss28Items[i].Pair == kTiss28Items[index].Pair) return i;
    }
    return index;
}

// Random numbers that are the same on every machine: the engine's output is fixed by the standard,
// and the mapping to ranges is done here, not by a library distribution.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_engine(seed) {}

    // 0 to count - 1; the bias of the remainder is far below anything a test file could show.
    std::int64_t Below(std::int64_t count)
    {
        return static_cast<std::int64_t>(m_engine() % static_cast<std::uint64_t>(count));
    }
    bool Chance(int perThousand) { return Below(1000) < perThousand; }
    std::string Item(int perThousand) { return Chance(perThousand) ? "1" : "0"; }

private:
    std::mt19937_64 m_engine;
};

// Days since 1970-01-01.
std::int64_t DayNumber(int year, unsigned month, unsigned day)
{
    const std::chrono::year_month_day date{std::chrono::year{year}, std::chrono::month{month}, std::chrono::day{day}};
    return std::chrono::sys_days{date}.time_since_epoch().count();
}

void AppendDigits(std::string& text, std::int64_t value, int width)
{
    std::string digits = std::to_string(value);
    if (digits.size() < static_cast<std::size_t>(width)) text.append(width - digits.size(), '0');
    text += digits;
}

void AppendRightAligned(std::string& text, std::uint64_t value, int width)
{
    const std::string digits = std::to_string(value);
    if (digits.size() < static_cast<std::size_t>(width)) text.append(width - digits.size(), ' ');
    text += digits;
}

// yyyymmdd of a day number.
std::string DateText(std::int64_t dayNumber)
{
    const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{dayNumber}}};
    std::string text;
    AppendDigits(text, static_cast<int>(date.year()), 4);
    AppendDigits(text, static_cast<unsigned>(date.month()), 2);
    AppendDigits(text, static_cast<unsigned>(date.day()), 2);
    return text;
}

// yyyymmddhhmm of a minute count since 1970-01-01.
std::string TimeText(std::int64_t minutes)
{
    std::string text = DateText(minutes / kMinutesPerDay);
    AppendDigits(text, minutes % kMinutesPerDay / 60, 2);
    AppendDigits(text, minutes % 60, 2);
    return text;
}

bool IsCodeCharacter(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsCode(std::string_view text, std::string_view prefix, std::size_t size)
{
    return text.size() == size && text.starts_with(prefix) && std::ranges::all_of(text, IsCodeCharacter);
}

// Everything the lines of one stay are written from.
struct Stay {
    std::optional<StayFault> Fault;
    std::string KisId;      // 10
    std::string Dob;        // 8
    std::string Admission;  // 12
    std::string Discharge;  // 12
    char Outcome = '1';
    std::string HospitalDischarge;  // 8
    char HospitalOutcome = '2';
    std::int64_t FirstDay = 0;
    std::int64_t LastDay = 0;
    int Severity = 0;           // 0 to 999: how much care the patient needs
    std::int64_t FaultDay = 0;          // the survey day a fault of one survey record hits
    std::size_t FaultItem = 0;  // the item an invalid item value goes to
};

class Generator {
public:
    Generator(std::ostream& out, const GeneratorOptions& options)
        : m_out(out), m_options(options), m_random(options.Seed), m_department(options.Department + "01"),
          m_firstMinute(DayNumber(options.Year, 1, 1) * kMinutesPerDay),
          m_yearMinutes((DayNumber(options.Year + 1, 1, 1) - DayNumber(options.Year, 1, 1)) * kMinutesPerDay)
    {
        // Admission numbers run on from a point that depends on the seed, so files of two seeds
        // rarely share a stay.
        m_firstAdmissionNumber = m_random.Below(90000000);
    }

    GeneratedFile Write()
    {
        for (std::uint64_t i = 0; i < m_options.Stays; ++i) WriteStay(PlanStay(i));
        WriteSumRecord();
        m_out.flush();
        return m_result;
    }

private:
    Stay PlanStay(std::uint64_t index)
    {
        Stay stay;
        if (m_random.Chance(m_options.FaultsPerThousand)) {
            stay.Fault = static_cast<StayFault>(m_random.Below(kStayFaultKinds));
            ++m_result.Faults[static_cast<std::size_t>(*stay.Fault)];
        }

        // Mostly one to ten days, some stays of a few hours, a few long ones.
        const std::int64_t kind = m_random.Below(1000);
        std::int64_t days = kind < 80 ? 0 : kind < 940 ? 1 + m_random.Below(10) : 11 + m_random.Below(32);
        // A fault that takes a survey day away needs a stay long enough to keep others.
        if (Is(stay, StayFault::MissingSurveyDay)) days = std::max<std::int64_t>(days, 2);
        if (Is(stay, StayFault::SurveyDayBeforeStay)) days = std::max<std::int64_t>(days, 1);

        // Admissions spread evenly over the year, in file order.
        const auto stays = static_cast<std::int64_t>(m_options.Stays);
        const std::int64_t slot = m_yearMinutes / stays;
        std::int64_t admission = m_firstMinute + m_yearMinutes * static_cast<std::int64_t>(index) / stays +
                                 m_random.Below(std::max<std::int64_t>(slot, 1));
        std::int64_t discharge = 0;
        if (days == 0) {
            // Out again the same day, at least an hour later.
            const std::int64_t latestStart = kMinutesPerDay - 3 * 60;
            const std::int64_t timeOfDay = admission % kMinutesPerDay;
            if (timeOfDay > latestStart) admission -= timeOfDay - latestStart + m_random.Below(10 * 60);
            const std::int64_t left = kMinutesPerDay - 1 - admission % kMinutesPerDay - 60;
            discharge = admission + 60 + m_random.Below(left + 1);
        } else {
            discharge = (admission / kMinutesPerDay + days) * kMinutesPerDay + m_random.Below(kMinutesPerDay);
        }
        stay.FirstDay = admission / kMinutesPerDay;
        stay.LastDay = discharge / kMinutesPerDay;

        // Two draws in one expression would come in an order each compiler picks; here they are in turn.
        const std::int64_t firstDraw = m_random.Below(78);
        const std::int64_t age = Is(stay, StayFault::TooYoung) ? 10 : 18 + std::max(firstDraw, m_random.Below(78));
        const std::int64_t birthDay = stay.FirstDay - age * 36525 / 100 - m_random.Below(365);

        stay.KisId = std::to_string(m_options.Year % 100 + 100).substr(1);
        AppendDigits(stay.KisId, (m_firstAdmissionNumber + static_cast<std::int64_t>(index)) % 100000000, 8);
        stay.Dob = DateText(birthDay);
        stay.Admission = TimeText(admission);
        stay.Discharge = TimeText(discharge);

        const std::int64_t outcome = m_random.Below(1000);
        stay.Outcome = outcome < 860 ? '1' : outcome < 900 ? '2' : outcome < 970 ? '3' : '4';
        if (m_random.Chance(30)) {
            // Still in hospital when the file was made.
            stay.HospitalDischarge = std::string(8, ' ');
            stay.HospitalOutcome = ' ';
        } else if (stay.Outcome == '3' || stay.Outcome == '4') {
            stay.HospitalDischarge = DateText(stay.LastDay);
            stay.HospitalOutcome = '1';
        } else {
            stay.HospitalDischarge = DateText(stay.LastDay + m_random.Below(21));
            stay.HospitalOutcome = m_random.Chance(40) ? '1' : '2';
        }
        stay.Severity = static_cast<int>(m_random.Below(1000));
        stay.FaultDay = stay.FirstDay + m_random.Below(stay.LastDay - stay.FirstDay + 1);
        stay.FaultItem = static_cast<std::size_t>(m_random.Below(static_cast<std::int64_t>(kTiss28Items.size())));
        if (stay.Fault) ApplyStayFault(stay);
        return stay;
    }

    static bool Is(const Stay& stay, StayFault fault) { return stay.Fault == fault; }

    void ApplyStayFault(Stay& stay)
    {
        switch (*stay.Fault) {
        case StayFault::InvalidAdmission: stay.Admission.replace(4, 2, "13"); break;
        case StayFault::InvalidDischarge: stay.Discharge.replace(6, 2, "32"); break;
        case StayFault::InvalidBirthDate: stay.Dob.replace(4, 4, "0230"); break;
        case StayFault::DischargeBeforeAdmission: {
            const std::int64_t day = stay.FirstDay - 1 - m_random.Below(3);
            stay.Discharge = TimeText(day * kMinutesPerDay + m_random.Below(kMinutesPerDay));
            break;
        }
        case StayFault::OutcomeFive: stay.Outcome = '5'; break;
        case StayFault::BlankOutcome: stay.Outcome = ' '; break;
        case StayFault::BlankAdmissionNumber: stay.KisId = std::string(10, ' '); break;
        case StayFault::InvalidHospitalDischarge: stay.HospitalDischarge.replace(4, 4, "0231"); break;
        default: break;
        }
    }

    void AppendKey(std::string& line, char kind, const Stay& stay, std::string_view hospital,
                   std::string_view department) const
    {
        line.clear();
        line += kind;
        line += hospital;
        line += department;
        line += stay.KisId;
        line += stay.Dob;
        line += stay.Admission;
    }

    void WriteStayRecord(const Stay& stay)
    {
        std::string hospital = m_options.Hospital;
        std::string department = m_department;
        if (Is(stay, StayFault::WrongHospital)) hospital.back() = hospital.back() == '9' ? '8' : '9';
        if (Is(stay, StayFault::WrongDepartment)) department.back() = department.back() == '2' ? '3' : '2';
        AppendKey(m_line, '1', stay, hospital, department);
        m_line.append(22, ' ');
        m_line += stay.Discharge;
        m_line += stay.Outcome;
        m_line += stay.HospitalDischarge;
        m_line += stay.HospitalOutcome;
        WriteRecord();
    }

    // One survey day, with items as a ward would document them: standard monitoring nearly always,
    // of two items that exclude each other mostly one, more measures the sicker the patient.
    void WriteSurveyRecord(const Stay& stay, std::int64_t day)
    {
        Tiss28ItemValues items;
        auto chance = [&stay](std::size_t index) {
            return kItemChances[index].Base + stay.Severity * kItemChances[index].PerSeverity / 1000;
        };
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (!items[i].empty()) continue;  // drawn with its partner
            if (kTiss28Items[i].Pair == 0) {
                items[i] = m_random.Item(chance(i));
                continue;
            }
            const std::size_t partner = PartnerOf(i);
            const std::int64_t draw = m_random.Below(1000);
            const bool both = m_random.Chance(3);
            items[i] = both || draw < chance(i) ? "1" : "0";
            items[partner] = both || (draw >= chance(i) && draw < chance(i) + chance(partner)) ? "1" : "0";
        }
        if (items[kMechanicalVentilation] == "1") items[kTubeCare] = m_random.Item(900);

        const bool faultDay = day == stay.FaultDay;
        if (faultDay && Is(stay, StayFault::ItemTwo)) items[stay.FaultItem] = "2";

        AppendKey(m_line, '3', stay, m_options.Hospital, m_department);
        std::string date = DateText(day);
        if (faultDay && Is(stay, StayFault::InvalidSurveyDate)) date.replace(4, 4, "0431");
        m_line += date;
        if (!(faultDay && Is(stay, StayFault::ShortSurveyRecord))) {
            for (const auto& item : items) m_line += item;
            m_line += ComputeTiss28Score(items);
        }
        WriteRecord();
        if (faultDay && Is(stay, StayFault::DuplicatedSurveyDay)) WriteRecord();
    }

    void WriteStay(const Stay& stay)
    {
        const bool firstDayFirst = Is(stay, StayFault::SurveyDayBeforeStay);
        if (firstDayFirst) WriteSurveyRecord(stay, stay.FirstDay);
        WriteStayRecord(stay);
        if (Is(stay, StayFault::RepeatedStayRecord)) WriteStayRecord(stay);
        if (Is(stay, StayFault::NoSurveyDays)) return;
        for (std::int64_t day = stay.FirstDay + (firstDayFirst ? 1 : 0); day <= stay.LastDay; ++day) {
            if (Is(stay, StayFault::MissingSurveyDay) && day == stay.FirstDay + 1) continue;
            WriteSurveyRecord(stay, day);
        }
    }

    void WriteRecord()
    {
        WriteLine();
        ++m_result.CountedLines;
    }

    void WriteLine()
    {
        m_out.write(m_line.data(), static_cast<std::streamsize>(m_line.size()));
        m_out.write("\r\n", 2);
        ++m_result.Lines;
    }

    void WriteSumRecord()
    {
        m_line = SumRecordLine(m_result.CountedLines);
        WriteLine();
    }

    std::ostream& m_out;
    const GeneratorOptions& m_options;
    Random m_random;
    std::string m_department;  // 8 characters, the sub-number "01" added
    std::int64_t m_firstMinute;
    std::int64_t m_yearMinutes;
    std::int64_t m_firstAdmissionNumber = 0;
    std::string m_line;
    GeneratedFile m_result;
};

}  // namespace

void ValidateGeneratorOptions(const GeneratorOptions& options)
{
    if (!IsCode(options.Hospital, "K", 4)) {
        throw std::invalid_argument("Die Krankenanstalt muss aus K und drei Buchstaben oder Ziffern bestehen.");
    }
    if (!IsCode(options.Department, "12", 6)) {
        throw std::invalid_argument("Die Abteilung muss aus 12 und vier Buchstaben oder Ziffern bestehen.");
    }
    if (options.Stays < 1 || options.Stays > kMaxGeneratedStays) {
        throw std::invalid_argument("Die Zahl der Aufenthalte muss zwischen 1 und " +
                                    std::to_string(kMaxGeneratedStays) + " liegen.");
    }
    if (options.FaultsPerThousand < 0 || options.FaultsPerThousand > 1000) {
        throw std::invalid_argument("Der Anteil fehlerhafter Aufenthalte muss zwischen 0 und 1000 Promille liegen.");
    }
    if (options.Year < 1900 || options.Year > 2100) {
        throw std::invalid_argument("Das Jahr muss zwischen 1900 und 2100 liegen.");
    }
}

std::string GeneratedFileName(const GeneratorOptions& options)
{
    ValidateGeneratorOptions(options);
    // Period, year digit, department characters 3-6, sub-number, any letter, hospital number.
    return "A" + std::to_string(options.Year % 10) + options.Department.substr(2, 4) + "01X" +
           options.Hospital.substr(1, 3) + ".txt";
}

std::string SumRecordLine(std::uint64_t count)
{
    if (count > kMaxSumRecordCount * kSumRecordCounts) {
        throw std::length_error("Zu viele Datensätze für den Summensatz.");
    }
    std::string line = "$" + std::string(12, ' ');
    for (std::size_t i = 0; i < kSumRecordCounts; ++i) {
        const std::uint64_t part = std::min(count, kMaxSumRecordCount);
        AppendRightAligned(line, part, 6);
        count -= part;
    }
    return line;
}

GeneratedFile WriteImportFile(std::ostream& out, const GeneratorOptions& options)
{
    ValidateGeneratorOptions(options);
    return Generator(out, options).Write();
}

GeneratedFile GenerateImportFile(const std::filesystem::path& directory, const GeneratorOptions& options)
{
    const std::filesystem::path file = directory / GeneratedFileName(options);
    std::filesystem::create_directories(directory);
    // Written beside its place first, so an interrupted run never leaves half a file under the name.
    GeneratedFile result;
    try {
        SafeFile written(file);
        result = WriteImportFile(written.Stream(), options);
        static_cast<void>(written.Commit());  // in place; a test file needs no more
    } catch (const std::filesystem::filesystem_error&) {
        throw std::runtime_error("Die Datei " + file.string() + " konnte nicht geschrieben werden.");
    }
    result.Path = file;
    return result;
}

}  // namespace kalmora::cli
