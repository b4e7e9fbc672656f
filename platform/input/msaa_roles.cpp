// The roles of accessible objects: AT-SPI 2 roles mapped to MSAA role codes, and the
// Portuguese names of the MSAA roles.
#include <atspi/atspi.h>

#include "platform/input/accessibility.h"
#include "platform/text/cp1252.h"

namespace Accessibility {

int MsaaRole(int atspiRole) {
  switch (static_cast<AtspiRole>(atspiRole)) {
    case ATSPI_ROLE_TITLE_BAR: return 1;
    case ATSPI_ROLE_MENU_BAR: return 2;
    case ATSPI_ROLE_SCROLL_BAR: return 3;
    case ATSPI_ROLE_AUDIO: return 5;
    case ATSPI_ROLE_ALERT: case ATSPI_ROLE_NOTIFICATION: return 8;
    case ATSPI_ROLE_WINDOW: case ATSPI_ROLE_FRAME: case ATSPI_ROLE_INTERNAL_FRAME:
    case ATSPI_ROLE_DESKTOP_FRAME: case ATSPI_ROLE_INPUT_METHOD_WINDOW: return 9;
    case ATSPI_ROLE_POPUP_MENU: return 11;
    case ATSPI_ROLE_MENU: case ATSPI_ROLE_MENU_ITEM: case ATSPI_ROLE_CHECK_MENU_ITEM:
    case ATSPI_ROLE_RADIO_MENU_ITEM: case ATSPI_ROLE_TEAROFF_MENU_ITEM: return 12;
    case ATSPI_ROLE_TOOL_TIP: return 13;
    case ATSPI_ROLE_APPLICATION: return 14;
    case ATSPI_ROLE_DOCUMENT_FRAME: case ATSPI_ROLE_DOCUMENT_SPREADSHEET: case ATSPI_ROLE_DOCUMENT_PRESENTATION:
    case ATSPI_ROLE_DOCUMENT_TEXT: case ATSPI_ROLE_DOCUMENT_WEB: case ATSPI_ROLE_DOCUMENT_EMAIL:
    case ATSPI_ROLE_HTML_CONTAINER: case ATSPI_ROLE_ARTICLE: return 15;
    case ATSPI_ROLE_PANEL: case ATSPI_ROLE_FILLER: case ATSPI_ROLE_ROOT_PANE: case ATSPI_ROLE_LAYERED_PANE:
    case ATSPI_ROLE_GLASS_PANE: case ATSPI_ROLE_OPTION_PANE: case ATSPI_ROLE_SCROLL_PANE:
    case ATSPI_ROLE_SPLIT_PANE: case ATSPI_ROLE_VIEWPORT: case ATSPI_ROLE_DIRECTORY_PANE:
    case ATSPI_ROLE_HEADER: case ATSPI_ROLE_FOOTER: return 16;
    case ATSPI_ROLE_CHART: return 17;
    case ATSPI_ROLE_DIALOG: case ATSPI_ROLE_FILE_CHOOSER: case ATSPI_ROLE_FONT_CHOOSER:
    case ATSPI_ROLE_COLOR_CHOOSER: return 18;
    case ATSPI_ROLE_GROUPING: case ATSPI_ROLE_FORM: case ATSPI_ROLE_SECTION: case ATSPI_ROLE_LANDMARK:
    case ATSPI_ROLE_BLOCK_QUOTE: return 20;
    case ATSPI_ROLE_SEPARATOR: return 21;
    case ATSPI_ROLE_TOOL_BAR: return 22;
    case ATSPI_ROLE_STATUS_BAR: case ATSPI_ROLE_INFO_BAR: return 23;
    case ATSPI_ROLE_TABLE: return 24;
    case ATSPI_ROLE_COLUMN_HEADER: case ATSPI_ROLE_TABLE_COLUMN_HEADER: return 25;
    case ATSPI_ROLE_ROW_HEADER: case ATSPI_ROLE_TABLE_ROW_HEADER: return 26;
    case ATSPI_ROLE_TABLE_ROW: return 28;
    case ATSPI_ROLE_TABLE_CELL: return 29;
    case ATSPI_ROLE_LINK: return 30;
    case ATSPI_ROLE_LIST: case ATSPI_ROLE_LIST_BOX: case ATSPI_ROLE_DESCRIPTION_LIST: return 33;
    case ATSPI_ROLE_LIST_ITEM: case ATSPI_ROLE_DESCRIPTION_TERM: return 34;
    case ATSPI_ROLE_TREE: case ATSPI_ROLE_TREE_TABLE: return 35;
    case ATSPI_ROLE_TREE_ITEM: return 36;
    case ATSPI_ROLE_PAGE_TAB: return 37;
    case ATSPI_ROLE_PAGE: return 38;
    case ATSPI_ROLE_ICON: case ATSPI_ROLE_IMAGE: case ATSPI_ROLE_DESKTOP_ICON: case ATSPI_ROLE_IMAGE_MAP: return 40;
    case ATSPI_ROLE_LABEL: case ATSPI_ROLE_ACCELERATOR_LABEL: case ATSPI_ROLE_STATIC: case ATSPI_ROLE_CAPTION:
    case ATSPI_ROLE_HEADING: case ATSPI_ROLE_PARAGRAPH: case ATSPI_ROLE_DEFINITION: case ATSPI_ROLE_MARQUEE:
    case ATSPI_ROLE_DESCRIPTION_VALUE: case ATSPI_ROLE_FOOTNOTE: case ATSPI_ROLE_SUBSCRIPT:
    case ATSPI_ROLE_SUPERSCRIPT: case ATSPI_ROLE_COMMENT: case ATSPI_ROLE_MARK: case ATSPI_ROLE_SUGGESTION:
    case ATSPI_ROLE_CONTENT_DELETION: case ATSPI_ROLE_CONTENT_INSERTION: return 41;
    case ATSPI_ROLE_TEXT: case ATSPI_ROLE_ENTRY: case ATSPI_ROLE_PASSWORD_TEXT: case ATSPI_ROLE_EDITBAR:
    case ATSPI_ROLE_DATE_EDITOR: case ATSPI_ROLE_TERMINAL: return 42;
    case ATSPI_ROLE_PUSH_BUTTON: case ATSPI_ROLE_TOGGLE_BUTTON: return 43;
    case ATSPI_ROLE_CHECK_BOX: return 44;
    case ATSPI_ROLE_RADIO_BUTTON: return 45;
    case ATSPI_ROLE_COMBO_BOX: case ATSPI_ROLE_AUTOCOMPLETE: return 46;
    case ATSPI_ROLE_PROGRESS_BAR: case ATSPI_ROLE_LEVEL_BAR: return 48;
    case ATSPI_ROLE_DIAL: return 49;
    case ATSPI_ROLE_SLIDER: case ATSPI_ROLE_RATING: return 51;
    case ATSPI_ROLE_SPIN_BUTTON: return 52;
    case ATSPI_ROLE_ANIMATION: case ATSPI_ROLE_VIDEO: return 54;
    case ATSPI_ROLE_MATH: case ATSPI_ROLE_MATH_FRACTION: case ATSPI_ROLE_MATH_ROOT: return 55;
    case ATSPI_ROLE_PUSH_BUTTON_MENU: return 57;
    case ATSPI_ROLE_PAGE_TAB_LIST: return 60;
    case ATSPI_ROLE_TIMER: return 61;
    default: return 10;  // a client area with no closer kind
  }
}

std::string RoleText(int msaaRole) {
  static constexpr const char* kNames[] = {
      "",                        "barra de título",       "barra de menus",
      "barra de rolagem",        "alça",                  "som",
      "cursor",                  "cursor de texto",       "alerta",
      "janela",                  "cliente",               "menu suspenso",
      "item de menu",            "dica de ferramenta",    "aplicativo",
      "documento",               "painel",                "gráfico",
      "caixa de diálogo",        "borda",                 "agrupamento",
      "separador",               "barra de ferramentas",  "barra de status",
      "tabela",                  "cabeçalho de coluna",   "cabeçalho de linha",
      "coluna",                  "linha",                 "célula",
      "link",                    "balão de ajuda",        "caractere",
      "lista",                   "item de lista",         "estrutura de tópicos",
      "item de estrutura de tópicos", "guia",             "página de propriedades",
      "indicador",               "imagem",                "texto",
      "texto editável",          "botão",                 "caixa de seleção",
      "botão de opção",          "caixa de combinação",   "lista suspensa",
      "barra de progresso",      "mostrador",             "campo de tecla de atalho",
      "controle deslizante",     "botão de rotação",      "diagrama",
      "animação",                "equação",               "botão suspenso",
      "botão de menu",           "botão de grade suspensa", "espaço em branco",
      "lista de guias",          "relógio",               "botão de divisão",
      "endereço IP",             "botão de estrutura de tópicos"};
  if (msaaRole < 0 || msaaRole >= static_cast<int>(std::size(kNames))) return Cp1252::FromUtf8("função desconhecida");
  return Cp1252::FromUtf8(kNames[msaaRole]);
}

}  // namespace Accessibility
