import type { HtmlOptions } from './index.cjs';

/** `md.use(colorune, options)`: C and C++ fences highlighted by colorune, the others as before. */
declare function colorune(md: colorune.MarkdownItLike, options?: colorune.MarkdownItOptions): void;

declare namespace colorune {
  /** The plugin's options: those of `toHtml` but `noPre`; `modern` is on unless set to false. */
  type MarkdownItOptions = Omit<HtmlOptions, 'noPre'>;

  /** What the plugin needs of a markdown-it instance. */
  interface MarkdownItLike {
    options: { highlight?: ((code: string, language: string, attributes: string) => string) | null };
  }
}

export = colorune;
