#include "import/ImportFileName.h"

#include "foundation/FixedText.h"
#include "foundation/UserInterface.h"
#include "import/FieldChecks.h"
#include "storage/Database.h"
#include "storage/ReferenceData.h"
#include "storage/Schema.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace kalmora {

namespace {

constexpr std::size_t kHospitalColumn = 27;
constexpr std::size_t kDepartmentColumn = 49;
constexpr std::size_t kNameText = 50;

std::string Blanks(std::size_t count)
{
    return std::string(count, ' ');
}

}  // namespace

ImportFileNameCodes DeriveImportFileNameCodes(std::string_view fileName)
{
    const std::string_view name = LeftCharacters(fileName, 12);
    ImportFileNameCodes codes;
    codes.Hospital = FitToWidth("K" + std::string(MidCharacters(name, 10, 3)), 4);
    codes.Department = FitToWidth("12" + std::string(MidCharacters(name, 3, 6)), 8);
    codes.DatabaseFile = FitToWidth("12" + std::string(MidCharacters(name, 3, 10)), 12);
    return codes;
}

bool IsSafeImportFileName(std::string_view fileName)
{
    const auto isControl = [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; };
    if (std::any_of(fileName.begin(), fileName.end(), [&](char c) { return isControl(c) || c == ';'; })) return false;
    return MidCharacters(fileName, 3, 10).find_first_of(R"(/\:*?"<>|)") == std::string_view::npos;
}

std::int16_t CheckImportFileName(std::string_view fileName, Database& admin, std::string& resultRow, UserInterface& ui)
{
    if (!IsSafeImportFileName(fileName)) {
        resultRow += Blanks(kHospitalColumn + kDepartmentColumn);
        return kCheckUnsafeFileName;
    }
    const std::string_view period = MidCharacters(fileName, 1, 1);
    const char periodLetter =
        period.size() == 1 ? static_cast<char>(std::toupper(static_cast<unsigned char>(period[0]))) : '\0';
    if (periodLetter < 'A' || periodLetter > 'S') {
        resultRow += Blanks(kHospitalColumn + kDepartmentColumn);
        return kCheckInvalidPeriod;
    }
    const std::string_view year = MidCharacters(fileName, 2, 1);
    if (year.size() != 1 || year[0] < '0' || year[0] > '9') {
        resultRow += Blanks(kHospitalColumn + kDepartmentColumn);
        return kCheckInvalidYear;
    }

    const ImportFileNameCodes codes = DeriveImportFileNameCodes(fileName);
    const auto hospitalName = HospitalName(admin, codes.Hospital);
    if (!hospitalName) {
        ui.SetStatusText(2, " ");
        resultRow += Blanks(kHospitalColumn + kDepartmentColumn);
        return kCheckUnknownHospital;
    }
    const std::string hospitalText = FitToWidth(codes.Hospital + " - " + *hospitalName, kNameText);
    ui.SetStatusText(2, " " + hospitalText);
    resultRow += LeftCharacters(hospitalText, kHospitalColumn);

    const auto departmentName = DepartmentName(admin, LeftCharacters(codes.Department, kDepartmentCodeWidth));
    if (!departmentName) {
        ui.SetStatusText(3, " ");
        resultRow += Blanks(kDepartmentColumn);
        return kCheckUnknownDepartment;
    }
    const std::string departmentText = FitToWidth(codes.Department + " - " + *departmentName, kNameText);
    ui.SetStatusText(3, " " + departmentText);
    resultRow += LeftCharacters(departmentText, kDepartmentColumn);
    return kCheckOk;
}

}  // namespace kalmora
