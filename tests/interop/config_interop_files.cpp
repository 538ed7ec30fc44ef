// Writes a settings file and two exchange files into the folder given as the
// first argument, for readers outside this project to check. Next to them,
// settings_expected.json (UTF-8) holds every section, key and value of the
// settings file as this project reads it back.

#include <json-c/json.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "config/cfgfile.h"
#include "config/tree_util.h"
#include "platform/profile.h"

namespace fs = std::filesystem;

namespace {

bool Build(CCfgProc& cfg, const fs::path& dir) {
    auto* gearbox = cfg.sections.emplace_back(std::make_unique<CCfgProcSection>()).get();
    gearbox->name = "Редуктор";
    auto* shaft = Add<CCfgProcFolder>(*gearbox, "Вал 1");
    shaft->info = "Входной вал";
    auto* rotor = Add<CCfgProcTaho>(*shaft, "Обороты вала");
    rotor->tachoChannel = "Тахо 1";
    auto* mesh = Add<CCfgProcBandTrack>(*shaft, "Зубцовая");
    mesh->components = {{"Обороты вала", -1, 27.0}, {"", -1, 5.5}};
    mesh->bandWidth.tachoRef = "Обороты вала";
    auto* fix = Add<CCfgProcBandFix>(*gearbox, "Полоса 10-20");
    fix->bandStart = 10;
    fix->bandStop = 20;
    if (!gearbox->SaveToFile((dir / "reductor.json").string())) return false;

    auto* engine = cfg.sections.emplace_back(std::make_unique<CCfgProcSection>()).get();
    engine->name = "Engine";
    Add<CCfgProcTaho>(*engine, "T2")->tachoChannel = "Tacho 2";
    if (!engine->SaveToFile((dir / "engine.json").string())) return false;
    cfg.ResolveRefs();

    cfg.srcFileKorvex = "Испытание 5";
    cfg.srcFileDir = "D:\\Данные\\test5.quor";
    cfg.dstDir = "/home/u/results ";  // a trailing blank is written quoted
    cfg.bCloseProgrDlg = true;
    auto& vib = cfg.channels["Вибро 1"] = std::make_unique<CfgChannel>();
    vib->check = true;
    vib->signalOpts[mesh->id] = {"Зубцовая", mesh->id, 1, 2, 3, true, true};
    vib->signalOpts[fix->id] = {"Полоса 10-20", fix->id, 0, 1, 2, true, false};
    cfg.channels["Тахо 1"] = std::make_unique<CfgChannel>();
    cfg.channels["Тахо 1"]->type = CfgChannelTacho;

    cfg.report.reportFile = "/home/u/Отчёт 100%.rtf";
    cfg.report.programs = {{"Прогон", "Тахо 1", {{"Холостой ход", 750, 25, 10}}}};
    cfg.report.headerChannels = {"Вибро 1", "Тахо 1"};
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s folder\n", argv[0]);
        return 2;
    }
    fs::path dir(argv[1]);
    std::error_code ec;
    fs::create_directories(dir, ec);

    CCfgProc cfg;
    const std::string settings = (dir / "plgVantrel.cfg").string();
    fs::remove(settings, ec);
    std::string error;
    if (!Build(cfg, dir) || !SaveSettings(cfg, settings, &error)) {
        std::fprintf(stderr, "cannot write the files: %s\n", error.c_str());
        return 1;
    }

    plat::ProfileFile ini;
    if (!ini.Load(settings, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    json_object* all = json_object_new_object();
    for (const std::string& section : ini.GetSectionNames()) {
        json_object* keys = json_object_new_object();
        for (const std::string& key : ini.GetSectionKeys(section))
            json_object_object_add(keys, key.c_str(),
                                   json_object_new_string(ini.GetString(section, key).c_str()));
        json_object_object_add(all, section.c_str(), keys);
    }
    int rc = json_object_to_file_ext((dir / "settings_expected.json").string().c_str(), all,
                                     JSON_C_TO_STRING_PRETTY);
    json_object_put(all);
    return rc == 0 ? 0 : 1;
}
