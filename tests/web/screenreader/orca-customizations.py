# The reader's settings for the walk: every word it would say and nothing else (no key echo, braille or
# sounds), and no reading of the whole page when it loads, which would run into the first keys; the short
# summary stays, and its "Finished loading" tells that the page is there.
import orca.settings as s

s.enableSpeech = True
s.speechVerbosityLevel = s.VERBOSITY_LEVEL_VERBOSE
s.messagesAreDetailed = True
s.enableKeyEcho = False
s.enableBraille = False
s.enableBrailleMonitor = False
s.enableSound = False
s.enableTutorialMessages = False
s.enablePositionSpeaking = False
s.enableMnemonicSpeaking = False
s.verbalizePunctuationStyle = s.PUNCTUATION_STYLE_NONE
s.capitalizationStyle = s.CAPITALIZATION_STYLE_NONE
s.speechServerFactory = "speechdispatcherfactory"
s.sayAllOnLoad = False
s.pageSummaryOnLoad = True
