#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

class QCoreApplication;

namespace brevik {

// The languages Brevik speaks: Chinese, the language its texts are written in, and English.
enum class Language { chinese, english };

namespace Languages {

// The language to speak: `requested` (BREVIK_LANG: "zh" or "en") when it names one of ours;
// otherwise the first of the user's `preferred` languages (BCP 47 tags, most preferred first)
// that is Chinese or English, in any script or region; otherwise Chinese.
Language choose(const QString &requested, const QStringList &preferred);

// choose() over BREVIK_LANG and the system's preferred languages: on a Mac the list in
// System Settings, elsewhere LANGUAGE, LC_ALL, LC_MESSAGES and LANG.
Language chosen();

// The locale a language is spoken in: Simplified Chinese in China, English in the US.
QLocale locale(Language language);

// Where our compiled English catalogue lies, built into every program that links this.
QString catalogue(Language language);

// Installs into `app` what `language` needs: our catalogue (Chinese needs none, the texts
// being Chinese), and with `qtTexts` Qt's own catalogue, so that the buttons of the dialogs Qt
// draws and the context menus of its text fields speak the same language. Call it before the
// first text is made; what it installs lives as long as `app`. False when a catalogue asked
// for was not found: those texts stay in their source language.
bool install(QCoreApplication &app, Language language, bool qtTexts = false);

} // namespace Languages

} // namespace brevik
