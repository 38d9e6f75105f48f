/** The options of a conversion: those of the program colorune. Any left out is off (the tab width 4). */
export interface Options {
  /** `-l`: a line number at the start of every line. */
  lineNumbers?: boolean;
  /** `-p`: no `pre` element; spaces become `&nbsp;`, line feeds `<br>` and a line feed. */
  noPre?: boolean;
  /** `-t`: tabs expand to stops every `tabWidth` columns, a whole number from 1 to 99 (default 4); else a `RangeError`. */
  tabWidth?: number;
  /** `-u`: read the bytes as UTF-8; else every byte from 0x80 to 0xFF is paired with the next (Shift_JIS). */
  utf8?: boolean;
  /** `-m`: the C and C++ of today (C++11 to C++26, C99 to C23). */
  modern?: boolean;
  /** `-s`: the colours written into each tag, for pages without the style sheet. */
  style?: boolean;
}

/** The options of `toHtml`: those of `convert` but `utf8`, since a string is always read as UTF-8. */
export type HtmlOptions = Omit<Options, 'utf8'>;

/**
 * The fragment's bytes for the source's bytes, exactly what the program writes for them with the same options.
 * @throws TypeError when `bytes` is not a `Uint8Array`; RangeError for a bad `tabWidth`; Error when out of memory.
 */
export declare function convert(bytes: Uint8Array, options?: Options): Uint8Array;

/**
 * The fragment for the text, read as UTF-8 (the program's `-u`), as a string.
 * @throws TypeError when `text` is not a string; RangeError for a bad `tabWidth`; Error when out of memory.
 */
export declare function toHtml(text: string, options?: HtmlOptions): string;

/** The version of colorune, such as "1.0.1". */
export declare const version: string;
