// SPDX-License-Identifier: MIT
// The data routines: the read-only connection to data.mdb and its result sets.
#include "data/funzioni.h"

#include "data/accesso.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QTemporaryDir>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <atomic>

namespace fv {

namespace {

const QString kPrefisso = QStringLiteral("fv-cnDati-");

QString Motore(const QSqlError& e)
{
    const QString testo = e.databaseText().isEmpty() ? e.text() : e.databaseText();
    return testo.isEmpty() ? QStringLiteral("unknown error") : testo;
}

// SQLite notices a truncated file only when a query reaches a missing page.
// The header says how many pages the file must hold (when the size it
// records is valid): a shorter file is damaged.
QString ControllaLunghezza(const QString& percorso)
{
    QFile f(percorso);
    if (!f.open(QIODevice::ReadOnly))
        return f.errorString();
    const QByteArray h = f.read(100);
    if (h.size() < 100)
        return QStringLiteral("file is not a database");
    const auto u8 = [&](int i) { return static_cast<quint32>(static_cast<unsigned char>(h[i])); };
    const auto be32 = [&](int i) { return (u8(i) << 24) | (u8(i + 1) << 16) | (u8(i + 2) << 8) | u8(i + 3); };
    quint64 pagina = (u8(16) << 8) | u8(17);
    if (pagina == 1)
        pagina = 65536;
    const quint64 pagine = be32(28);
    const bool valido = pagine != 0 && be32(24) == be32(92);
    if (valido && static_cast<quint64>(f.size()) < pagina * pagine)
        return QStringLiteral("database disk image is malformed (%1 bytes of %2)")
            .arg(f.size())
            .arg(pagina * pagine);
    return {};
}

} // namespace

ErroreDati::ErroreDati(Tipo tipo, QString routine, QString file, QString sql, QString messaggio)
    : Errore((routine + QStringLiteral(": ") + messaggio).toStdString()), tipo_(tipo),
      routine_(std::move(routine)), file_(std::move(file)), sql_(std::move(sql)),
      messaggio_(std::move(messaggio))
{
}

ErroreDati::ErroreDati(CodiceDati codice, QString routine, QString file, QString tabella, QString colonna)
    : ErroreDati(Tipo::Accesso, std::move(routine), std::move(file), {},
                 QStringLiteral("data tool status %1 %2 %3").arg(static_cast<int>(codice)).arg(tabella, colonna))
{
    codice_ = codice;
    tabella_ = std::move(tabella);
    colonna_ = std::move(colonna);
}

Recordset::Recordset(QString sql, QStringList colonne, std::vector<QVariantList> righe)
    : sql_(std::move(sql)), colonne_(std::move(colonne)), righe_(std::move(righe))
{
}

QVariant Recordset::Campo(const QString& nome) const
{
    const qsizetype i = colonne_.indexOf(nome, Qt::CaseInsensitive);
    if (i < 0)
        throw ErroreDati(ErroreDati::Tipo::ColonnaMancante, QStringLiteral("Recordset"), {}, sql_,
                         QStringLiteral("no such column: %1").arg(nome));
    return Campo(static_cast<int>(i));
}

QVariant Recordset::Campo(int posizione) const
{
    if (Eof())
        throw ErroreDati(ErroreDati::Tipo::NessunaRiga, QStringLiteral("Recordset"), {}, sql_,
                         QStringLiteral("no current row"));
    const QVariantList& riga = righe_[corrente_];
    if (posizione < 0 || posizione >= riga.size())
        throw ErroreDati(ErroreDati::Tipo::ColonnaMancante, QStringLiteral("Recordset"), {}, sql_,
                         QStringLiteral("no column at position %1").arg(posizione));
    return riga[posizione];
}

void Recordset::MoveNext()
{
    if (!Eof())
        ++corrente_;
}

Funzioni::Funzioni(QString cartella) : cartella_(std::move(cartella)) {}

Funzioni::~Funzioni()
{
    if (ConnessioneAperta())
        ChiudiConnessione();
}

QStringList Funzioni::Percorsi() const
{
    const auto in = [](const QString& cartella) {
        return QDir::cleanPath(QDir(cartella).absoluteFilePath(QStringLiteral("data.mdb")));
    };
    if (!scelto_.isEmpty())
        return {QDir::cleanPath(QFileInfo(scelto_).absoluteFilePath())};
    if (!cartella_.isEmpty())
        return {in(cartella_)};
    QStringList percorsi = {in(QDir::currentPath())};
    if (QCoreApplication::instance()) {
        // Beside the program, as a program unpacked from an archive keeps it.
        const QString accanto = in(QCoreApplication::applicationDirPath());
        if (!percorsi.contains(accanto))
            percorsi << accanto;
        const QString installata = in(QCoreApplication::applicationDirPath() + QStringLiteral("/")
                                      + QStringLiteral(FV_DATI_DAL_PROGRAMMA));
        if (!percorsi.contains(installata))
            percorsi << installata;
    }
    return percorsi;
}

QString Funzioni::PercorsoFile() const
{
    const QStringList percorsi = Percorsi();
    for (const QString& p : percorsi) {
        if (QFileInfo(p).isFile())
            return p;
    }
    return percorsi.first();
}

namespace {

// The data tool: beside the program once installed, else where the build made it.
QString StrumentoDati()
{
    const QString accanto = QCoreApplication::applicationDirPath() + QStringLiteral("/calcolo-fv-dati");
    return QFileInfo(accanto).isExecutable() ? accanto : QStringLiteral(FV_STRUMENTO_DATI);
}

// An Access file is read by the data tool in a child process into a private
// SQLite copy, so that a damaged or hostile file can end only the tool. The
// copy serves every later event as long as the file keeps its path, size and
// modification time; a changed file is read again.
QString CopiaSqlite(const QString& percorso, const QString& routine)
{
    struct Copia {
        QString percorso;
        qint64 dimensione;
        QDateTime modifica;
        QString copia;
    };
    static QTemporaryDir cartella;
    static std::vector<Copia> copie;
    const QFileInfo info(percorso);
    for (const Copia& c : copie) {
        if (c.percorso == percorso && c.dimensione == info.size() && c.modifica == info.lastModified())
            return c.copia;
    }
    const QString copia = cartella.filePath(QStringLiteral("copia-%1.sqlite").arg(copie.size()));
    QProcess strumento;
    strumento.start(StrumentoDati(), {QStringLiteral("converti"), percorso, copia, QStringLiteral("--codice")});
    if (!strumento.waitForStarted(30000))
        throw ErroreDati(CodiceDati::NonAvviato, routine, StrumentoDati(), {}, {});
    if (!strumento.waitForFinished(30000)) {
        strumento.kill();
        strumento.waitForFinished();
        throw ErroreDati(CodiceDati::TempoScaduto, routine, percorso, {}, {});
    }
    // The tool's typed outcome: its exit status, and its one line with the
    // file, table and column concerned. A tool that died is a damaged file.
    if (strumento.exitStatus() != QProcess::NormalExit)
        throw ErroreDati(CodiceDati::Danneggiato, routine, percorso, {}, {});
    if (strumento.exitCode() != 0) {
        const QString riga = QString::fromUtf8(strumento.readAllStandardError()).section(u'\n', 0, 0);
        const ErroreFileDati e = DaRigaCodice(riga.toStdString(), strumento.exitCode(), percorso.toStdString());
        throw ErroreDati(e.codice(), routine, QString::fromStdString(e.file()), QString::fromStdString(e.tabella()),
                         QString::fromStdString(e.colonna()));
    }
    copie.push_back({percorso, info.size(), info.lastModified(), copia});
    return copia;
}

} // namespace

void Funzioni::ApriConnessione()
{
    static std::atomic<quint64> contatore{0};
    if (ConnessioneAperta())
        ChiudiConnessione();

    const QString percorso = PercorsoFile();
    const QString routine = QStringLiteral("ApriConnessione");
    // Opening read-only never creates a missing file; say plainly that it is
    // missing, and where it was looked for.
    if (!QFileInfo(percorso).isFile())
        throw ErroreDati(ErroreDati::Tipo::FileMancante, routine, Percorsi().join(QStringLiteral("; ")),
                         {}, QStringLiteral("no file data.mdb in any of these places"));

    const QString file = FileAccesso(percorso.toStdString()) ? CopiaSqlite(percorso, routine) : percorso;
    const QString nome = kPrefisso + QString::number(++contatore);
    QString errore;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nome);
        db.setDatabaseName(file);
        // A file locked by a writer: wait a moment, then report it, rather
        // than freeze the window for the driver's default five seconds.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=1000"));
        // A text file or a damaged one opens fine: the first query finds a
        // file that is not a database, and the header, a truncated one.
        errore = db.open() ? ControllaLunghezza(file) : Motore(db.lastError());
        if (!errore.isEmpty())
            db.close();
    }
    if (!errore.isEmpty()) {
        QSqlDatabase::removeDatabase(nome);
        throw ErroreDati(ErroreDati::Tipo::Motore, routine, percorso, {}, errore);
    }
    cnDati_ = nome;
    file_ = percorso;
}

void Funzioni::ChiudiConnessione()
{
    if (cnDati_.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(cnDati_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(cnDati_);
    cnDati_.clear();
    file_.clear();
}

void Funzioni::ApriRecordset(std::unique_ptr<Recordset>& rs, const TestoSql& sqlText)
{
    const QString routine = QStringLiteral("ApriRecordset");
    rs.reset();
    // SQLite would stop reading at a NUL and silently run what came before.
    if (sqlText.motore.contains(QChar(u'\0')))
        throw ErroreDati(ErroreDati::Tipo::TestoSqlNonValido, routine, file_, sqlText.testo,
                         QStringLiteral("SQL text holds a NUL character"));
    if (cnDati_.isEmpty())
        throw ErroreDati(ErroreDati::Tipo::Motore, routine, file_, sqlText.testo,
                         QStringLiteral("no open connection"));

    QSqlDatabase db = QSqlDatabase::database(cnDati_, false);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sqlText.motore))
        throw ErroreDati(ErroreDati::Tipo::Motore, routine, file_, sqlText.testo, Motore(q.lastError()));
    const QSqlRecord record = q.record();
    QStringList colonne;
    for (int i = 0; i < record.count(); ++i)
        colonne << record.fieldName(i);
    std::vector<QVariantList> righe;
    while (q.next()) {
        QVariantList riga;
        riga.reserve(colonne.size());
        for (int i = 0; i < colonne.size(); ++i)
            riga << q.value(i);
        righe.push_back(std::move(riga));
    }
    // A damaged page met while stepping ends the rows with an error, not at the end.
    if (q.lastError().isValid())
        throw ErroreDati(ErroreDati::Tipo::Motore, routine, file_, sqlText.testo, Motore(q.lastError()));
    q.finish();
    rs = std::make_unique<Recordset>(sqlText.testo, std::move(colonne), std::move(righe));
}

void Funzioni::ChiudiRecordset(std::unique_ptr<Recordset>& rs) { rs.reset(); }

QString Funzioni::RaddoppiaApici(const QString& testo)
{
    QString risultato;
    risultato.reserve(testo.size() + 8);
    for (const QChar c : testo) {
        risultato += c;
        if (c == u'\'')
            risultato += u'\'';
    }
    return risultato;
}

int Funzioni::ConnessioniAperte()
{
    int n = 0;
    for (const QString& nome : QSqlDatabase::connectionNames()) {
        if (nome.startsWith(kPrefisso))
            ++n;
    }
    return n;
}

SessioneDati::SessioneDati(Funzioni& funzioni, std::unique_ptr<Recordset>& rsDati, QString& sqlText)
    : funzioni_(funzioni), rsDati_(rsDati), sqlText_(sqlText)
{
    funzioni_.ApriConnessione();
}

SessioneDati::~SessioneDati()
{
    funzioni_.ChiudiRecordset(rsDati_);
    funzioni_.ChiudiConnessione();
}

Recordset& SessioneDati::Apri(const TestoSql& sql)
{
    sqlText_ = sql.testo;
    funzioni_.ApriRecordset(rsDati_, sql);
    return *rsDati_;
}

void SessioneDati::Chiudi() { funzioni_.ChiudiRecordset(rsDati_); }

} // namespace fv
