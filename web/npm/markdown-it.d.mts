import type { HtmlOptions } from './index.mjs';

/** The plugin's options: those of `toHtml` but `noPre`; `modern` is on unless set to false. */
export type MarkdownItOptions = Omit<HtmlOptions, 'noPre'>;

/** What the plugin needs of a markdown-it instance. */
export interface MarkdownItLike {
  options: { highlight?: ((code: string, language: string, attributes: string) => string) | null };
}

/** `md.use(colorune, options)`: C and C++ fences highlighted by colorune, the others as before. */
declare function colorune(md: MarkdownItLike, options?: MarkdownItOptions): void;
export default colorune;
