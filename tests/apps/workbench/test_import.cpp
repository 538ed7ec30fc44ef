// Opening files that need the user: a CSV file through the import dialog,
// a MAT file without a sample rate through the rate question.

#include <gtest/gtest.h>
#include <matio.h>

#include <QApplication>
#include <QComboBox>
#include <QSpinBox>

#include "apps/workbench/importdialog.h"
#include "apps/workbench/mainwindow.h"
#include "test_util.h"

using namespace workbench;

namespace {

class ImportDialogs : public Dialogs {
  public:
    bool ImportText(QWidget*, const QString& path, korvex::ReadOptions& options) override {
        TextImportDialog d(path);
        options = d.Options();
        ++imports;
        return acceptImport;
    }
    bool AskRate(QWidget*, const QString& message, double& r) override {
        asked = message;
        r = rate;
        return rate > 0;
    }
    void Error(QWidget*, const QString& text) override { errors << text; }
    bool acceptImport = true;
    int imports = 0;
    double rate = 0;
    QString asked;
    QStringList errors;
};

class Import : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("VANTREL_DATA_DIR", dir_.path().c_str(), 1);
        auto d = std::make_unique<ImportDialogs>();
        dialogs_ = d.get();
        w_ = std::make_unique<MainWindow>(std::move(d));
    }
    void TearDown() override {
        w_.reset();
        ::unsetenv("VANTREL_DATA_DIR");
    }
    testutil::TempDir dir_{"import"};
    ImportDialogs* dialogs_ = nullptr;
    std::unique_ptr<MainWindow> w_;
};

}  // namespace

TEST_F(Import, DialogShowsWhatWasFoundAndTakesCorrections) {
    const std::string path = dir_.Path("german.csv");
    testutil::WriteBytes(path, "Messung 3\n\nZeit / s;Kraft / N\n0,0;1,5\n0,5;2,5\n1,0;3,5\n");
    TextImportDialog d(QString::fromStdString(path));
    ASSERT_TRUE(d.Readable()) << d.Message().toStdString();
    korvex::ReadOptions o = d.Options();
    EXPECT_EQ(o.text.separator, ';');
    EXPECT_EQ(o.text.decimal, ',');
    EXPECT_EQ(o.text.headerLine, 3);
    EXPECT_EQ(o.text.timeColumn, 1);
    // A wrong separator finds no numbers, and says so.
    auto* separator = d.findChildren<QComboBox*>().at(0);
    separator->setCurrentIndex(0);  // comma
    EXPECT_FALSE(d.Readable());
    EXPECT_TRUE(d.Message().contains("no lines of numbers")) << d.Message().toStdString();
    separator->setCurrentIndex(1);
    EXPECT_TRUE(d.Readable());

    ASSERT_TRUE(w_->OpenFile(QString::fromStdString(path)));
    EXPECT_EQ(dialogs_->imports, 1);
    auto kraft = w_->Host().FindSignal("/Signals/german/Kraft");
    ASSERT_TRUE(kraft);
    EXPECT_EQ(kraft->ToData().samples, std::vector<double>({1.5, 2.5, 3.5}));
    EXPECT_EQ(kraft->ToData().stepX, 0.5);
    // Cancelled: nothing opens, nothing is reported.
    dialogs_->acceptImport = false;
    EXPECT_FALSE(w_->OpenFile(QString::fromStdString(path)));
    EXPECT_TRUE(dialogs_->errors.isEmpty());
}

TEST_F(Import, FileWithoutARateAsksForOne) {
    const std::string path = dir_.Path("vib.mat");
    mat_t* m = Mat_CreateVer(path.c_str(), nullptr, MAT_FT_MAT5);
    ASSERT_TRUE(m);
    double x[4] = {1, 2, 3, 4};
    size_t dims[2] = {4, 1};
    matvar_t* v = Mat_VarCreate("vib", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, dims, x, 0);
    Mat_VarWrite(m, v, MAT_COMPRESSION_NONE);
    Mat_VarFree(v);
    Mat_Close(m);

    EXPECT_FALSE(w_->OpenFile(QString::fromStdString(path)));  // the question cancelled
    EXPECT_TRUE(dialogs_->asked.contains("no sample rate for vib"));
    EXPECT_EQ(dialogs_->errors.size(), 1);
    dialogs_->rate = 250;
    ASSERT_TRUE(w_->OpenFile(QString::fromStdString(path)));
    auto s = w_->Host().FindSignal("/Signals/vib/vib");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->ToData().stepX, 0.004);
}
